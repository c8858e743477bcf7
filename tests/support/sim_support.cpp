#include "tests/support/sim_support.h"

#include <cstdio>
#include <vector>

#include "files/bus_record.h"
#include "files/data_file.h"
#include "sim/generated_data_file.h"

namespace {

constexpr uint64_t kRecordsPerWrite = 8192;

}  // namespace

StatusCode writeGeneratedRecords(const char* path, const TrafficConfig& traffic, uint64_t recordCount,
                                 const LocalTime& start) {
  FILE* file = openDataFile(path, "wb");
  if (file == nullptr) return StatusCode::FileOpenError;
  TrafficGenerator generator;
  resetTrafficGenerator(generator, traffic);
  std::vector<unsigned char> buffer(kRecordsPerWrite * kBusRecordBytes);
  StatusCode status = StatusCode::Success;
  uint64_t left = recordCount;
  while (left > 0 && ok(status)) {
    const uint64_t made = generateRecords(generator, start, left < kRecordsPerWrite ? left : kRecordsPerWrite,
                                          buffer.data());
    if (made == 0) break;
    const size_t items = static_cast<size_t>(made);
    if (std::fwrite(buffer.data(), kBusRecordBytes, items, file) != items) status = StatusCode::FileWriteError;
    left -= made;
  }
  if (std::fclose(file) != 0 && ok(status)) status = StatusCode::FileWriteError;
  return status;
}
