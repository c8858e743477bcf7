#include "record/recording_session.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "card/card_access.h"
#include "card/card_registers.h"
#include "files/bus_record.h"
#include "index/index_build.h"
#include "index/index_file.h"
#include "tests/support/fake_ports.h"
#include "tests/support/sim_card_fixture.h"
#include "tests/support/sim_support.h"
#include "tests/support/temp_folder.h"

TEST(RecordingProgress, ProgressLineCountsHalvesAndRefreshesOnEveryEleventhQuietTick) {
  OpenedSimCard sim;
  RecordingProgress progress;
  double shown = 0;
  EXPECT_EQ(progressStep(sim.session, progress, 16384.0f, &shown), StatusCode::Success);
  EXPECT_EQ(formatProgressLine(shown), "RECORDING: 16384 Bus words received");
  writeRegister(sim.session, reg::kWritePointerHigh, 6);
  writeRegister(sim.session, reg::kWritePointerLow, 0x100);
  for (int tick = 1; tick <= 10; ++tick) {
    progressStep(sim.session, progress, 0.0f, &shown);
    EXPECT_LT(shown, 0) << "quiet tick " << tick << " leaves the line alone";
  }
  progressStep(sim.session, progress, 0.0f, &shown);
  EXPECT_EQ(formatProgressLine(shown), "RECORDING: 16400 Bus words received");
  EXPECT_EQ(progress.progressTicks, 0);
  progressStep(sim.session, progress, 16384.0f, &shown);
  EXPECT_EQ(formatProgressLine(shown), "RECORDING: 32768 Bus words received");
}

TEST(RecordingProgress, SizeLimitEndsAtExactlyTheHalfThatReachesIt) {
  struct Case {
    float gigabytes;
    long halves;
  };
  OpenedSimCard sim;
  for (const Case& c : {Case{5.0f, 20480}, Case{50.0f, 204800}}) {
    RecordingProgress progress;
    progress.wordLimit = kRecordsPerGigabyte * c.gigabytes;
    long halves = 0;
    StatusCode status = StatusCode::Success;
    while (ok(status) && halves < 1000000) {
      status = progressStep(sim.session, progress, 16384.0f, nullptr);
      ++halves;
    }
    EXPECT_EQ(status, StatusCode::MaxFileSizeExceeded);
    EXPECT_EQ(halves, c.halves) << c.gigabytes;
  }
}

// A file that cannot be opened ends the stop with five. A first half goes in whole, then the disk
// fills 1000 bytes into the second: six, and only whole records stay, also after the stop.
TEST(RecordingDrain, FileErrorsEndTheDrainAndKeepOnlyWholeRecords) {
  TempFolder folder;
  OpenedSimCard sim;
  // Each 16-bit word of the ring holds its own word index, so a stretch shows where it came from.
  std::vector<uint8_t>& memory = sim.card().memory;
  for (uint32_t a = ring::kStart; a < ring::kEnd; a += 2) {
    memory[a] = static_cast<uint8_t>(a >> 1);
    memory[a + 1] = static_cast<uint8_t>(a >> 9);
  }
  const auto ringBytes = [&](uint32_t from, uint32_t bytes) {
    return std::string(reinterpret_cast<const char*>(&memory[from]), bytes);
  };
  RecordingSession gone;
  gone.path = folder.file("gone/x.qel");
  EXPECT_EQ(stopAndDrain(sim.session, gone, stdioFileAppender()), StatusCode::FileOpenError);
  FaultyAppender appender;
  appender.bytesAllowed = ring::kHalfBytes + 1000;
  RecordingSession session;
  session.path = folder.file("run.qel");
  writeBytes(session.path, {});
  writeRegister(sim.session, reg::kWritePointerHigh, 6);
  EXPECT_EQ(drainStep(sim.session, session, appender), StatusCode::Success);
  writeRegister(sim.session, reg::kWritePointerHigh, 2);
  EXPECT_EQ(drainStep(sim.session, session, appender), StatusCode::FileWriteError);
  const std::string file = readText(session.path);
  ASSERT_EQ(file.size(), ring::kHalfBytes + 992u);
  EXPECT_EQ(file, ringBytes(ring::kStart, ring::kHalfBytes) + ringBytes(ring::kMiddle, 992));
  writeRegister(sim.session, reg::kWritePointerLow, 0x100);
  EXPECT_EQ(stopAndDrain(sim.session, session, appender), StatusCode::FileWriteError);
  EXPECT_EQ(readText(session.path).size(), ring::kHalfBytes + 992u);
}

namespace {
constexpr uint64_t kMillisecond = 1'000'000;  // nanoseconds
constexpr uint64_t kTick = kRecordingTickMilliseconds * kMillisecond;

// A recording through the session on the simulated card, its clock stepped by the test.
struct SimRecording {
  TempFolder folder;
  SimCardFixture sim;
  RecordingSession session;

  static SimConfig configAt(uint32_t wordsPerSecond) {
    SimConfig config;
    config.card.traffic.wordsPerSecond = wordsPerSecond;
    config.card.keepWriteLog = false;
    return config;
  }
  explicit SimRecording(uint32_t wordsPerSecond) : sim(configAt(wordsPerSecond)) {
    EXPECT_EQ(sim.open(), StatusCode::Success);
    session.path = folder.file("run.qel");
    writeBytes(session.path, {});
    session.progress.wordLimit = 1e30f;
  }
  StatusCode start() { return startRecordingSession(sim.session, session, 0, sim.local); }
  StatusCode tickNow() {
    TickReport report;
    return recordingTickStep(sim.session, session, stdioFileAppender(), report);
  }
  StatusCode stop() { return stopAndDrain(sim.session, session, stdioFileAppender()); }
  // Whether the card has moved into the other half since the last tick, read as the host reads it.
  bool crossedSinceTick() { return (readWritePointer(sim.session) >= ring::kMiddle) != (session.captureHalf != 0); }
  // Regular ticks until `halves` more halves are stored.
  void runHalves(int halves) {
    for (int done = 0; done < halves;) {
      sim.clock.advance(kTick);
      const uint16_t before = session.captureHalf;
      ASSERT_EQ(tickNow(), StatusCode::Success);
      done += session.captureHalf != before;
    }
  }
  // Starts, ticks until two halves are stored (at most 100 ticks) and stops once the card has filled
  // one more, up to the first step that fails; `before` is what had been appended when that step began.
  StatusCode recordTwoHalves(size_t& before) {
    StatusCode status = start();
    for (int ticks = 0, halves = 0; ok(status) && halves < 2 && ticks < 100; ++ticks) {
      sim.clock.advance(kTick);
      before = fileBytes();
      const uint16_t half = session.captureHalf;
      status = tickNow();
      halves += session.captureHalf != half;
    }
    if (!ok(status)) return status;
    sim.clock.advance(100 * kMillisecond);  // at 200,000 words a second, past the half the card was in
    before = fileBytes();
    return stop();
  }
  Bytes file() const { return readBytes(session.path); }
  size_t fileBytes() const {
    std::error_code error;  // a missing file reads as the largest size, which no check takes
    return static_cast<size_t>(std::filesystem::file_size(session.path, error));
  }
  uint64_t captured() { return sim.card().recordsWritten; }
  // The generator's first `records` words as the card tagged them.
  Bytes generated(uint64_t records) {
    const std::string expected = folder.file("expected.qel");
    EXPECT_EQ(writeGeneratedRecords(expected.c_str(), sim.driver->config.card.traffic, records, sim.local),
              StatusCode::Success);
    return readBytes(expected);
  }
};
}  // namespace

// Stop Recording between two ticks, at many moments: the file is the generator's sequence word for
// word and holds every word the card captured, also when the card crossed into the other half
// after the last tick. The index kept while recording is the one made from the file afterwards;
// an index that cannot be written (its disk full from the start, or from a few halves in) changes
// nothing for the recording and leaves no index behind.
TEST(RecordingSession, StopBetweenTicksKeepsEveryCapturedWordAndItsIndex) {
  constexpr uint64_t kNever = ~0ull;
  struct Case {
    uint32_t wordsPerSecond;
    uint64_t stopAt;                // nanoseconds after the start
    uint64_t indexFullAt = kNever;  // nanoseconds after the start, a whole number of ticks
  };
  std::vector<Case> cases = {{20000, 17'333'123'457ull},
                             {200000, 3'100'000'001ull},
                             {200000, 1'234'567'891ull, 0},
                             {200000, 1'234'567'891ull, 400 * kMillisecond}};
  for (uint64_t k = 0; k < 24; ++k) cases.push_back({1000000, 100 * kMillisecond + k * 1'370'123});
  int crossedAfterTheLastTick = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.wordsPerSecond << " words/s, stop at " << c.stopAt);
    SimRecording run(c.wordsPerSecond);
    const std::string indexPath = indexPathFor(run.session.path);
    const auto fillIndexDisk = [&] {
      if (run.sim.clock.now != c.indexFullAt) return;
      std::remove(indexPath.c_str());
      ASSERT_EQ(symlink("/dev/full", indexPath.c_str()), 0);
    };
    fillIndexDisk();
    ASSERT_EQ(run.start(), StatusCode::Success);
    while (run.sim.clock.now + kTick <= c.stopAt) {
      run.sim.clock.advance(kTick);
      fillIndexDisk();
      ASSERT_EQ(run.tickNow(), StatusCode::Success);
    }
    run.sim.clock.now = c.stopAt;
    crossedAfterTheLastTick += run.crossedSinceTick();
    ASSERT_EQ(run.stop(), StatusCode::Success);
    const Bytes file = run.file();
    EXPECT_TRUE(file == run.generated(run.captured())) << "the file differs from the generator's words";
    EXPECT_EQ(run.session.overruns, 0u);
    if (c.indexFullAt != kNever) {
      struct stat info;
      // Given up: a link there from the start is no index and stays; one put later goes with the index.
      EXPECT_EQ(lstat(indexPath.c_str(), &info) == 0, c.indexFullAt == 0) << "no index left";
      continue;
    }
    const Bytes kept = readBytes(indexPath);
    std::remove(indexPath.c_str());
    IndexRefresh made;
    ASSERT_EQ(refreshDataFileIndex(run.session.path, made), StatusCode::Success);
    EXPECT_TRUE(readBytes(indexPath) == kept) << "the index kept while recording differs";
  }
  EXPECT_GE(crossedAfterTheLastTick, 2);
}

// A driver request refused at any point of a recording (its start, a tick that drains, a quiet
// tick, a tick that refreshes the progress line, the final drain), alone or with all that follow:
// the card's status, nothing appended by that step, and the file still the generator's words.
TEST(RecordingSession, ARefusedRequestAnywhereEndsWithTheCardStatusAndKeepsTheFile) {
  uint64_t requests = 0;  // of the recording, counted on a run where all of them work
  {
    SimRecording run(200000);
    size_t before = 0;
    ASSERT_EQ(run.recordTwoHalves(before), StatusCode::Success);
    requests = run.sim.driver->requestCount(IOCTL_WD_TRANSFER);
  }
  for (uint64_t good = 0; good < 2 * requests; ++good) {
    // The request alone fails, or it and every one after it.
    const bool onlyOne = good >= requests;
    SCOPED_TRACE(::testing::Message() << "request " << good % requests + 1 << " of " << requests
                                      << (onlyOne ? " alone" : " onwards"));
    SimRecording run(200000);
    run.sim.driver->failRequestsAfter(IOCTL_WD_TRANSFER, good % requests, onlyOne);
    size_t before = 0;
    EXPECT_EQ(run.recordTwoHalves(before), StatusCode::CardNotFound);
    const Bytes file = run.file();
    EXPECT_EQ(file.size(), before) << "nothing appended";
    EXPECT_TRUE(file == run.generated(file.size() / kBusRecordBytes)) << "the file holds the generator's words";
  }
}

// One tick comes late just after a half was stored; the recording goes on for more halves. A tick
// later than the card takes to fill a half loses words: the file skips exactly one stretch of the
// card's words and one overrun is counted. A late tick that loses nothing counts none.
TEST(RecordingSession, OverrunsAreCountedOnceAndTheRecordingGoesOn) {
  struct Case {
    uint32_t wordsPerSecond;
    uint64_t lateMs;
    uint32_t overruns;
  };
  // A half fills in 16.4 ms at 1,000,000 words a second and in 82 ms at 200,000.
  const Case cases[] = {{1000000, 40, 1}, {1000000, 10, 0}, {200000, 200, 1}, {200000, 70, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.wordsPerSecond << " words/s, " << c.lateMs << " ms late");
    SimRecording run(c.wordsPerSecond);
    ASSERT_EQ(run.start(), StatusCode::Success);
    run.runHalves(3);
    run.sim.clock.advance(c.lateMs * kMillisecond);
    run.runHalves(4);
    ASSERT_EQ(run.stop(), StatusCode::Success);
    EXPECT_EQ(run.session.overruns, c.overruns);
    const Bytes file = run.file(), captured = run.generated(run.captured());
    // The file is the card's words with one stretch left out where a half was written over.
    ASSERT_LE(file.size(), captured.size());
    const size_t lost = captured.size() - file.size();
    size_t same = 0;
    while (same < file.size() && file[same] == captured[same]) ++same;
    same -= same % kBusRecordBytes;
    EXPECT_TRUE(std::equal(file.begin() + same, file.end(), captured.begin() + same + lost));
    EXPECT_EQ(lost != 0, c.overruns != 0);
  }
}
