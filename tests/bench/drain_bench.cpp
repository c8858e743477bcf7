// What draining the capture ring costs, and the highest word rate the drain sustains without
// losing a word at 4 ms and at 16 ms ticks, next to the fastest real bus load.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "card/card_registers.h"
#include "index/index_file.h"
#include "recording_support.h"
#include "tests/support/sim_support.h"

namespace {
constexpr uint32_t kFastestRealLoad = 4 * 50000;  // four channels at 50,000 words a second

double halfDrainMicros(const std::string& path, int halves, bool keepIndex) {
  ManualClock clock;
  SimConfig config;
  config.card.keepWriteLog = false;
  SimDriver driver(config, clock);
  CardSession session;
  session.port = &driver;
  if (!ok(openCard(&session))) return -1.0;
  std::fclose(std::fopen(path.c_str(), "wb"));
  RecordingSession recording;
  recording.path = path;
  recording.keepIndex = keepIndex;
  if (keepIndex) startIndexStream(recording.index, path);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < halves; ++i) {
    // Move the write pointer across the middle of the ring and back, so that every step drains.
    const uint16_t high = recording.captureHalf == 0 ? 6 : 2;
    if (!ok(writeCardWord(session, reg::kWritePointerHigh, high))) return -1.0;
    if (!ok(drainStep(session, recording, stdioFileAppender()))) return -1.0;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return seconds * 1e6 / halves;
}

// The highest rate (to 1%) at which a recording of `halves` halves loses nothing.
uint32_t highestLosslessRate(const std::string& path, double tickMs, int halves, bool keepIndex) {
  uint32_t good = kFastestRealLoad;
  uint32_t bad = 0;
  for (uint32_t rate = good; bad == 0; rate *= 2) {
    const RecordingRun run = recordSimulated(path, rate, tickMs, static_cast<uint64_t>(halves) * 16384, true, keepIndex);
    if (run.lossless) {
      good = rate;
    } else {
      bad = rate;
    }
    if (rate > 100000000) return good;
  }
  while (bad - good > good / 100) {
    const uint32_t rate = good + (bad - good) / 2;
    const RecordingRun run = recordSimulated(path, rate, tickMs, static_cast<uint64_t>(halves) * 16384, true, keepIndex);
    (run.lossless ? good : bad) = rate;
  }
  return good;
}
}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : "/tmp";
  const std::string path = folder + "/drain-bench.qel";
  const int halves = 400;
  std::printf("fastest real bus load: %u words/s (a half fills in %.1f ms)\n", kFastestRealLoad,
              16384.0 * 1000 / kFastestRealLoad);
  // With the saved index kept as the recording goes (an entry for each half) and without.
  for (const bool keepIndex : {false, true}) {
    const char* what = keepIndex ? "with index entries" : "without index";
    const double perHalf = halfDrainMicros(path, halves, keepIndex);
    std::printf("%s: drain of one half (256 KiB: block read, open, seek, write, close%s): %.0f us (mean of %d)\n",
                what, keepIndex ? ", entry and index header" : "", perHalf, halves);
    for (double tick : {4.0, 16.0}) {
      const uint32_t rate = highestLosslessRate(path, tick, 48, keepIndex);
      std::printf("%s: highest lossless rate at %2.0f ms ticks: %u words/s (%.1f times the fastest real load; "
                  "a half per tick keeps up for certain up to %.0f)\n",
                  what, tick, rate, static_cast<double>(rate) / kFastestRealLoad, 16384.0 * 1000 / tick);
    }
  }
  std::remove(path.c_str());
  std::remove(indexPathFor(path).c_str());
  return 0;
}
