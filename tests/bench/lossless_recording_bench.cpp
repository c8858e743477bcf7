// A long recording through the recorder's own drain on the simulated card: at least 50 million
// words through thousands of ring wraps, at the fastest real bus load and at ten times that, each
// compared word for word with the generator's sequence. Exits non-zero when one word is lost,
// duplicated or reordered.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "recording_support.h"

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : "/tmp";
  const uint64_t words = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 50000000ull;
  const std::string path = folder + "/lossless-recording.qel";
  bool allLossless = true;
  for (uint32_t rate : {200000u, 2000000u}) {
    // The card clock moves by the tick alone, so the check does not depend on the disk.
    const RecordingRun run = recordSimulated(path, rate, 4.0, words, false);
    std::printf("%8u words/s: %llu words recorded, %llu halves (%llu ring wraps), %llu ticks, %.1f s, %s",
                rate, static_cast<unsigned long long>(run.records), static_cast<unsigned long long>(run.halves),
                static_cast<unsigned long long>(run.halves / 2), static_cast<unsigned long long>(run.ticks),
                run.wallSeconds, run.lossless ? "identical to the generator's sequence\n" : "DIFFERS");
    if (!run.lossless) {
      std::printf(" at record %llu\n", static_cast<unsigned long long>(run.firstDifference));
    }
    allLossless = allLossless && run.lossless && run.records >= words * 99 / 100;
    std::remove(path.c_str());
  }
  std::printf("lossless recording: %s\n", allLossless ? "passed" : "FAILED");
  return allLossless ? 0 : 1;
}
