// A recording through the recorder's own recording session on the simulated card, with the card's
// clock moved by the tick period (plus, when asked, the real time each drain took, and one tick
// held back by a stall), and a word-for-word comparison with the generator's sequence that
// streams instead of holding the file.
#pragma once
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "card/card_access.h"
#include "card/open_card.h"
#include "card/recorder_setup.h"
#include "record/recording_session.h"
#include "sim/generated_data_file.h"
#include "sim/sim_driver.h"
#include "sim/traffic_generator.h"
#include "tests/support/sim_support.h"

struct RecordingRun {
  uint64_t records = 0;
  uint64_t captured = 0;     // records the card wrote up to the stop
  uint64_t overruns = 0;     // as the session counted them
  uint64_t halves = 0;
  uint64_t ticks = 0;
  double drainSeconds = 0;   // real time spent in the ticks that appended a half
  double wallSeconds = 0;
  bool lossless = false;     // the file is the generator's sequence and holds every captured word
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

struct RecordingPlan {
  uint32_t wordsPerSecond = 200000;
  double tickMs = kRecordingTickMilliseconds;
  uint64_t wordsToRecord = 0;  // the stop comes when this many words have had time to arrive
  bool countDrainTime = false; // the card runs on while a drain holds the thread
  uint64_t firstTickNs = 0;    // the ticks come at this plus whole tick periods (0: one period in)
  uint64_t stallAtNs = 0;      // the first tick due after this comes stallNs late
  uint64_t stallNs = 0;        // 0: no stall
  bool keepIndex = true;       // the session keeps the saved index as it goes
};

// Records as planned through the recording session, then Stop Recording.
inline RecordingRun recordSimulated(const std::string& path, const RecordingPlan& plan) {
  RecordingRun run;
  ManualClock clock;
  const LocalTime start{2026, 12, 6, 21, 30, 0};
  SimConfig config;
  config.card.keepWriteLog = false;
  config.card.traffic = trafficAt(plan.wordsPerSecond);
  SimDriver driver(config, clock, [&] { return start; });
  CardSession card;
  card.port = &driver;
  if (openCard(&card) != StatusCode::Success) return run;
  std::fclose(std::fopen(path.c_str(), "wb"));
  RecordingSession session;
  session.path = path;
  session.progress.wordLimit = 1e30f;
  session.keepIndex = plan.keepIndex;
  if (!ok(startRecordingSession(card, session, 0, start))) return run;
  const uint64_t tickNs = static_cast<uint64_t>(plan.tickMs * 1e6);
  const uint64_t stopAtNs = static_cast<uint64_t>(static_cast<double>(plan.wordsToRecord) * 1e9 / plan.wordsPerSecond);
  bool stalled = plan.stallNs == 0;
  const auto wallStart = std::chrono::steady_clock::now();
  if (plan.firstTickNs != 0) clock.advance(plan.firstTickNs - tickNs);
  while (clock.now < stopAtNs) {
    uint64_t gap = tickNs;
    if (!stalled && clock.now + tickNs > plan.stallAtNs) {
      gap += plan.stallNs;
      stalled = true;
    }
    clock.advance(gap);
    const auto tickStart = std::chrono::steady_clock::now();
    const uint16_t before = session.captureHalf;
    TickReport report;
    if (!ok(recordingTickStep(card, session, stdioFileAppender(), report))) return run;
    const double tickSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - tickStart).count();
    if (session.captureHalf != before) {
      ++run.halves;
      run.drainSeconds += tickSeconds;
    }
    if (plan.countDrainTime) clock.advance(static_cast<uint64_t>(tickSeconds * 1e9));
    ++run.ticks;
  }
  if (!ok(stopAndDrain(card, session, stdioFileAppender()))) return run;
  run.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  run.captured = driver.card.recordsWritten;
  run.overruns = session.overruns;
  FILE* file = std::fopen(path.c_str(), "rb");
  std::fseek(file, 0, SEEK_END);
  run.records = static_cast<uint64_t>(std::ftell(file)) / 16;
  std::fclose(file);
  run.lossless = run.records == run.captured && sameAsGenerator(path, config.card.traffic, start, run.firstDifference);
  return run;
}

// Records `wordsToRecord` words at the given rate with ticks of tickMs, then Stop Recording.
inline RecordingRun recordSimulated(const std::string& path, uint32_t wordsPerSecond, double tickMs,
                                    uint64_t wordsToRecord, bool countDrainTime, bool keepIndex = true) {
  RecordingPlan plan;
  plan.keepIndex = keepIndex;
  plan.wordsPerSecond = wordsPerSecond;
  plan.tickMs = tickMs;
  plan.wordsToRecord = wordsToRecord;
  plan.countDrainTime = countDrainTime;
  return recordSimulated(path, plan);
}
