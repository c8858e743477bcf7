#include "record/recording_drain.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "../sim/sim_card_fixture.h"
#include "card/card_access.h"
#include "card/card_registers.h"
#include "card/recorder_setup.h"
#include "sim/generated_data_file.h"

namespace {
std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

class DrainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/varnotek-drain-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
    path = folder + "/run.qel";
    std::fclose(std::fopen(path.c_str(), "wb"));
    ASSERT_EQ(sim.open(), StatusCode::Success);
    // Each 16-bit word of the ring holds its own word index, so a stretch shows where it came from.
    for (uint32_t a = ring::kStart; a < ring::kEnd; a += 2) {
      sim.card().memory[a] = static_cast<uint8_t>(a >> 1);
      sim.card().memory[a + 1] = static_cast<uint8_t>(a >> 9);
    }
  }
  void TearDown() override { std::system(("rm -rf '" + folder + "'").c_str()); }
  void setPointer(uint32_t pointer) {
    writeCardWord(sim.session, reg::kWritePointerHigh, static_cast<uint16_t>(pointer >> 16));
    writeCardWord(sim.session, reg::kWritePointerLow, static_cast<uint16_t>(pointer & 0xFFFF));
  }
  std::string ringBytes(uint32_t from, uint32_t bytes) {
    return std::string(reinterpret_cast<const char*>(&sim.card().memory[from]), bytes);
  }

  SimCardFixture sim;
  std::string folder;
  std::string path;
};

// Fails partway: only the first `allowed` bytes of the recording reach the file.
struct DiskFillingAppender : FileAppender {
  FileAppender& inner = stdioFileAppender();
  size_t allowed;
  explicit DiskFillingAppender(size_t bytes) : allowed(bytes) {}
  bool open(const char* p) override { return inner.open(p); }
  size_t write(const void* data, size_t bytes) override {
    const size_t n = bytes < allowed ? bytes : allowed;
    allowed -= n;
    return inner.write(data, n);
  }
  void truncate(int64_t bytes) override { inner.truncate(bytes); }
  int64_t sizeAtOpen() const override { return inner.sizeAtOpen(); }
  void close() override { inner.close(); }
};
}  // namespace

TEST_F(DrainTest, DrainStepAppendsTheHalfTheCardHasLeft) {
  struct Case {
    uint16_t high;
    uint16_t halfBefore;
    uint16_t halfAfter;
    uint32_t appendedFrom;  // 0: nothing appended
  };
  const Case cases[] = {{6, 0, 1, ring::kStart}, {5, 0, 0, 0},          {2, 1, 0, ring::kMiddle},
                        {9, 1, 1, 0},           {0xFFFF, 0, 1, ring::kStart}};
  for (const Case& c : cases) {
    std::fclose(std::fopen(path.c_str(), "wb"));
    writeCardWord(sim.session, reg::kWritePointerHigh, c.high);
    uint16_t half = c.halfBefore;
    EXPECT_EQ(drainStep(sim.session, path, half, stdioFileAppender()), StatusCode::Success);
    EXPECT_EQ(half, c.halfAfter) << c.high;
    const std::string file = readAll(path);
    if (c.appendedFrom == 0) {
      EXPECT_TRUE(file.empty()) << c.high;
    } else {
      EXPECT_EQ(file, ringBytes(c.appendedFrom, ring::kHalfBytes)) << c.high;
    }
  }
}

TEST_F(DrainTest, DrainStepOnAFileThatCannotBeOpenedGivesFiveAndKeepsTheFlip) {
  writeCardWord(sim.session, reg::kWritePointerHigh, 6);
  uint16_t half = 0;
  EXPECT_EQ(drainStep(sim.session, folder + "/gone/run.qel", half, stdioFileAppender()), StatusCode::FileOpenError);
  EXPECT_EQ(half, 1);
}

TEST_F(DrainTest, StopAndDrainAppendsTheFilledStretchOfTheCurrentHalf) {
  struct Case {
    uint32_t pointer;
    uint32_t from;
    uint32_t bytes;
  };
  const Case cases[] = {{0x20000, 0x20000, 0},       {0x60000, 0x60000, 0},    {0x20010, 0x20000, 16},
                        {0x60100, 0x60000, 0x100},   {0x5FFF0, 0x20000, 0x3FFF0}, {0x9FFF0, 0x60000, 0x3FFF0}};
  for (const Case& c : cases) {
    std::fclose(std::fopen(path.c_str(), "wb"));
    setPointer(c.pointer);
    EXPECT_EQ(stopAndDrain(sim.session, path, stdioFileAppender()), StatusCode::Success);
    EXPECT_EQ(readAll(path), ringBytes(c.from, c.bytes)) << std::hex << c.pointer;
  }
  EXPECT_EQ(stopAndDrain(sim.session, folder + "/gone/x.qel", stdioFileAppender()), StatusCode::FileOpenError);
}

TEST_F(DrainTest, ProgressLineCountsHalvesAndRefreshesOnEveryEleventhQuietTick) {
  RecordingProgress progress;
  double shown = 0;
  EXPECT_EQ(progressStep(sim.session, progress, 16384.0f, &shown), StatusCode::Success);
  EXPECT_EQ(formatProgressLine(shown), "RECORDING: 16384 Bus words received");
  setPointer(0x60100);
  for (int tick = 1; tick <= 10; ++tick) {
    progressStep(sim.session, progress, 0.0f, &shown);
    EXPECT_LT(shown, 0) << "quiet tick " << tick << " leaves the line alone";
  }
  progressStep(sim.session, progress, 0.0f, &shown);
  EXPECT_EQ(formatProgressLine(shown), "RECORDING: 16400 Bus words received");
  EXPECT_EQ(progress.wordsReceived, 16384.0f);
  EXPECT_EQ(progress.progressTicks, 0);
  progressStep(sim.session, progress, 16384.0f, &shown);
  EXPECT_EQ(formatProgressLine(shown), "RECORDING: 32768 Bus words received");
}

TEST_F(DrainTest, SizeLimitEndsAtExactlyTheHalfThatReachesIt) {
  struct Case {
    float gigabytes;
    long halves;
  };
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

TEST_F(DrainTest, AShortWriteEndsWithSixAndKeepsOnlyWholeRecords) {
  // A first half goes in whole, the disk fills 1000 bytes into the second.
  DiskFillingAppender appender(ring::kHalfBytes + 1000);
  uint16_t half = 0;
  writeCardWord(sim.session, reg::kWritePointerHigh, 6);
  EXPECT_EQ(drainStep(sim.session, path, half, appender), StatusCode::Success);
  writeCardWord(sim.session, reg::kWritePointerHigh, 2);
  EXPECT_EQ(drainStep(sim.session, path, half, appender), StatusCode::FileWriteError);
  const std::string file = readAll(path);
  ASSERT_EQ(file.size(), ring::kHalfBytes + 992u);
  EXPECT_EQ(file, ringBytes(ring::kStart, ring::kHalfBytes) + ringBytes(ring::kMiddle, 992));
  setPointer(0x20100);
  EXPECT_EQ(stopAndDrain(sim.session, path, appender), StatusCode::FileWriteError);
  EXPECT_EQ(readAll(path).size(), ring::kHalfBytes + 992u);
}

// The recorder's own loop on the simulated card: set-up, time loading, 4 ms ticks of drain and
// progress, then Stop Recording at an arbitrary moment. The file must equal the generator's words.
TEST(LosslessRecording, ManyRingWrapsGiveTheGeneratorSequenceWordForWord) {
  char pattern[] = "/tmp/varnotek-lossless-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string folder = pattern;
  const std::string path = folder + "/run.qel";
  const std::string expectedPath = folder + "/expected.qel";
  struct Case {
    uint32_t wordsPerSecond;
    uint64_t stopAfterNs;
  };
  const Case cases[] = {{20000, 17'333'123'457ull}, {200000, 3'100'000'001ull}};
  for (const Case& c : cases) {
    SimConfig config;
    config.card.traffic.wordsPerSecond = c.wordsPerSecond;
    config.card.keepWriteLog = false;
    SimCardFixture sim(config);
    ASSERT_EQ(sim.open(), StatusCode::Success);
    std::fclose(std::fopen(path.c_str(), "wb"));
    ASSERT_EQ(setUpRecorder(sim.session, 0), StatusCode::Success);
    ASSERT_EQ(loadTimeAndStart(sim.session, 0, sim.local), StatusCode::Success);
    uint16_t half = 0;
    RecordingProgress progress;
    uint64_t halves = 0;
    while (sim.clock.now < c.stopAfterNs) {
      sim.clock.advance(4'000'000);
      const uint16_t before = half;
      ASSERT_EQ(drainStep(sim.session, path, half, stdioFileAppender()), StatusCode::Success);
      halves += half != before;
      ASSERT_EQ(progressStep(sim.session, progress, half != before ? 16384.0f : 0.0f, nullptr), StatusCode::Success);
    }
    ASSERT_EQ(stopAndDrain(sim.session, path, stdioFileAppender()), StatusCode::Success);
    const std::string recorded = readAll(path);
    ASSERT_EQ(recorded.size() % 16, 0u);
    const uint64_t records = recorded.size() / 16;
    EXPECT_GT(halves, 6u) << "several ring wraps";
    EXPECT_EQ(progress.wordsReceived, static_cast<float>(halves * 16384));
    // The words that arrived by the stop, less at most one in flight.
    const double arrived = c.wordsPerSecond * (c.stopAfterNs / 1e9);
    EXPECT_NEAR(static_cast<double>(records), arrived, arrived * 0.05);
    ASSERT_EQ(writeGeneratedRecords(expectedPath.c_str(), config.card.traffic, records, sim.local), StatusCode::Success);
    EXPECT_TRUE(recorded == readAll(expectedPath)) << "recorded file differs from the generator's words";
  }
  std::system(("rm -rf '" + folder + "'").c_str());
}
