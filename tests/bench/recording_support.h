// A recording through the recorder's own drain and progress code on the simulated card, with the
// card's clock moved by the tick period plus the real time each drain took, and a word-for-word
// comparison with the generator's sequence that streams instead of holding the file.
#pragma once
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "card/card_access.h"
#include "card/open_card.h"
#include "card/recorder_setup.h"
#include "record/recording_drain.h"
#include "sim/generated_data_file.h"
#include "sim/sim_driver.h"
#include "sim/traffic_generator.h"

struct RecordingRun {
  uint64_t records = 0;
  uint64_t halves = 0;
  uint64_t ticks = 0;
  double drainSeconds = 0;   // real time spent in the ticks that appended a half
  double wallSeconds = 0;
  bool lossless = false;
  uint64_t firstDifference = 0;  // record number (from 1) of the first difference, 0 for none
};

inline TrafficConfig trafficAt(uint32_t wordsPerSecond) {
  TrafficConfig traffic;
  traffic.wordsPerSecond = wordsPerSecond;
  // Four channels at 20 us word spacing carry at most 200,000 words a second; faster loads
  // pack the words closer.
  if (wordsPerSecond > 150000) traffic.wordSpacingHalfMicros = 2;
  return traffic;
}

// Compares the data file with the generator's first records, block by block.
inline bool sameAsGenerator(const std::string& path, const TrafficConfig& traffic, const LocalTime& start,
                            uint64_t& firstDifference) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  TrafficGenerator generator;
  resetTrafficGenerator(generator, traffic);
  constexpr uint64_t kBlock = 65536;
  std::vector<unsigned char> recorded(kBlock * 16), expected(kBlock * 16);
  uint64_t done = 0;
  bool same = true;
  for (;;) {
    const size_t got = std::fread(recorded.data(), 16, kBlock, file);
    if (got == 0) break;
    const uint64_t made = generateRecords(generator, start, got, expected.data());
    for (uint64_t r = 0; r < got && same; ++r) {
      if (r >= made || std::memcmp(&recorded[r * 16], &expected[r * 16], 16) != 0) {
        same = false;
        firstDifference = done + r + 1;
      }
    }
    done += got;
    if (!same) break;
  }
  std::fclose(file);
  return same;
}

// Records `wordsToRecord` words at the given rate with ticks of tickMs, then Stop Recording.
inline RecordingRun recordSimulated(const std::string& path, uint32_t wordsPerSecond, double tickMs,
                                    uint64_t wordsToRecord, bool countDrainTime) {
  RecordingRun run;
  ManualClock clock;
  const LocalTime start{2026, 12, 6, 21, 30, 0};
  SimConfig config;
  config.card.keepWriteLog = false;
  config.card.traffic = trafficAt(wordsPerSecond);
  SimDriver driver(config, clock, [&] { return start; });
  CardSession session;
  session.port = &driver;
  if (openCard(&session) != StatusCode::Success) return run;
  std::fclose(std::fopen(path.c_str(), "wb"));
  setUpRecorder(session, 0);
  loadTimeAndStart(session, 0, start);
  uint16_t half = 0;
  RecordingProgress progress;
  progress.wordLimit = 1e30f;
  const uint64_t tickNs = static_cast<uint64_t>(tickMs * 1e6);
  const uint64_t stopAtNs = static_cast<uint64_t>(wordsToRecord * 1e9 / wordsPerSecond);
  const auto wallStart = std::chrono::steady_clock::now();
  while (clock.now < stopAtNs) {
    clock.advance(tickNs);
    const auto tickStart = std::chrono::steady_clock::now();
    const uint16_t before = half;
    if (!ok(recordingTickStep(session, path, half, stdioFileAppender(), progress, nullptr))) return run;
    const double tickSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - tickStart).count();
    if (half != before) {
      ++run.halves;
      run.drainSeconds += tickSeconds;
    }
    // The card goes on capturing while the drain holds the thread.
    if (countDrainTime) clock.advance(static_cast<uint64_t>(tickSeconds * 1e9));
    ++run.ticks;
  }
  stopAndDrain(session, path, stdioFileAppender());
  run.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  FILE* file = std::fopen(path.c_str(), "rb");
  std::fseek(file, 0, SEEK_END);
  run.records = static_cast<uint64_t>(std::ftell(file)) / 16;
  std::fclose(file);
  run.lossless = sameAsGenerator(path, config.card.traffic, start, run.firstDifference);
  return run;
}
