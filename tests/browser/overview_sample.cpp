// Writes the recording the browser check draws: three stretches of the simulated card's traffic at
// different rates, the second starting ten seconds before the first ended (a new IRIG-B lock), the
// third three hours later.
//
// Usage: overview_sample DATA.qel
#include <cstdio>
#include <vector>

#include "files/bus_record.h"
#include "sim/generated_data_file.h"

namespace {

struct Stretch {
  LocalTime start;
  uint32_t rate;
  uint64_t seconds;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: overview_sample DATA.qel\n");
    return 2;
  }
  const Stretch stretches[] = {
      {{2024, 6, 1, 10, 0, 0}, 6000, 40},
      {{2024, 6, 1, 10, 0, 30}, 2500, 20},
      {{2024, 6, 1, 13, 0, 0}, 9000, 30},
  };
  FILE* data = std::fopen(argv[1], "wb");
  if (data == nullptr) return 1;
  bool written = true;
  for (const Stretch& s : stretches) {
    TrafficConfig traffic;
    traffic.wordsPerSecond = s.rate;
    traffic.errorOneIn = 400;
    traffic.seed += s.rate;
    TrafficGenerator generator;
    resetTrafficGenerator(generator, traffic);
    std::vector<unsigned char> records(s.rate * s.seconds * kBusRecordBytes);
    const uint64_t made = generateRecords(generator, s.start, s.rate * s.seconds, records.data());
    written = written && std::fwrite(records.data(), kBusRecordBytes, made, data) == made;
  }
  return std::fclose(data) == 0 && written ? 0 : 1;
}
