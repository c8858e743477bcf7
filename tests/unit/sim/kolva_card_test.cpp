#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "card/card_access.h"
#include "card/card_registers.h"
#include "card/recorder_setup.h"
#include "files/bus_record.h"
#include "sim/card_time.h"
#include "sim/generated_data_file.h"
#include "tests/unit/sim/sim_card_fixture.h"

namespace {

constexpr uint64_t kMillisecond = 1000000;  // nanoseconds
constexpr uint64_t kSecond = 1000 * kMillisecond;

struct OpenedCard : SimCardFixture {
  explicit OpenedCard(const SimConfig& config = SimConfig{}) : SimCardFixture(config) {
    EXPECT_EQ(open(), StatusCode::Success);
  }

  // Time source and ring bounds (in units of 0x10000), then configure.
  StatusCode configure(bool irig, uint16_t ringStart = 2, uint16_t ringEnd = 10) {
    writeCardWord(session, reg::kTimeSource, irig ? kTimeSourceIrig : 0);
    writeCardWord(session, reg::kRingStartPair + 2, ringStart);
    writeCardWord(session, reg::kRingEndPair + 2, ringEnd);
    return issueCardCommand(session, cmd::kConfigure, true);
  }

  void loadTime(uint16_t a, uint16_t b) {
    writeCardWord(session, reg::kTimeWordA, a);
    writeCardWord(session, reg::kTimeWordB, b);
    EXPECT_EQ(issueCardCommand(session, cmd::kLoadTime, true), StatusCode::Success);
  }

  void start() { issueCardCommand(session, cmd::kStartCapture, false); }
  void stop() { issueCardCommand(session, cmd::kStopCapture, false); }
  uint32_t pointer() { return readCaptureWritePointer(session); }
};

uint32_t timeWord(unsigned day, unsigned h, unsigned m, unsigned s) {
  return ((day / 100) << 28) | ((day % 100) << 21) | (h << 16) | (m << 6) | s;
}

// Words of the traffic that have arrived `elapsed` nanoseconds after capture started.
uint64_t wordsArrivedBy(const TrafficConfig& config, uint64_t elapsed) {
  TrafficGenerator generator;
  resetTrafficGenerator(generator, config);
  uint64_t count = 0;
  while (peekBusWord(generator).arrival <= elapsed / 500) {
    nextBusWord(generator);
    ++count;
  }
  return count;
}

TEST(KolvaCardClock, TimeWordsFollowTheSourceAndTheSignal) {
  const CardTimeWords dec5 = cardTimeWords(makeLocalTime(2026, 12, 5, 22, 7, 59), 0);
  const CardTimeWords irigMarker = cardTimeWords(makeLocalTime(2026, 12, 5, 22, 7, 59), 1);
  struct Case {
    const char* name;
    bool irigSource;
    bool signal;
    CardTimeWords load;
    LocalTime local;  // the IRIG-B time
    uint64_t advance;
    uint32_t word0;
    uint32_t word1;
  };
  const LocalTime march1 = makeLocalTime(2024, 3, 1, 19, 45, 30);
  const Case cases[] = {
      {"internal, loaded", false, true, dec5, march1, 1500 * kMillisecond, timeWord(339, 22, 8, 0), 500u << 16},
      {"internal, no signal", false, false, dec5, march1, 1500 * kMillisecond, timeWord(339, 22, 8, 0) | 0x80000000u,
       500u << 16},
      {"IRIG-B with signal, marker", true, true, irigMarker, march1, 250 * kMillisecond, timeWord(61, 19, 45, 30),
       250u << 16},
      {"IRIG-B with signal, digits ignored", true, true, dec5, march1, 0, timeWord(61, 19, 45, 30), 0},
      {"IRIG-B without signal, digits run on", true, false, dec5, march1, 1500 * kMillisecond,
       timeWord(339, 22, 8, 0) | 0x80000000u, 500u << 16},
      {"IRIG-B without signal, marker: runs on from power-on", true, false, irigMarker, march1, 1500 * kMillisecond,
       timeWord(1, 0, 0, 1) | 0x80000000u, 500u << 16},
      {"internal, marker: runs on", false, true, irigMarker, march1, 1500 * kMillisecond, timeWord(1, 0, 0, 1),
       500u << 16},
      {"leap year end", false, true, cardTimeWords(makeLocalTime(2024, 12, 31, 23, 59, 59), 0), march1, 2 * kSecond,
       timeWord(1, 0, 0, 1), 0},
      {"common year end", false, true, cardTimeWords(makeLocalTime(2025, 12, 31, 23, 59, 59), 0), march1, 2 * kSecond,
       timeWord(1, 0, 0, 1), 0},
      {"day 365 of a leap year", false, true, cardTimeWords(makeLocalTime(2024, 12, 30, 23, 59, 59), 0), march1,
       2 * kSecond + 3, timeWord(366, 0, 0, 1), 0},
      {"sub-millisecond", false, true, dec5, march1, 999999999, timeWord(339, 22, 7, 59), (999u << 16) | 1999u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimConfig config;
    config.card.irigSignalPresent = c.signal;
    OpenedCard card(config);
    card.local = c.local;
    ASSERT_EQ(card.configure(c.irigSource), StatusCode::Success);
    card.loadTime(c.load.a, c.load.b);
    card.clock.advance(c.advance);
    uint32_t words[2];
    EXPECT_EQ(readCardTime(card.session, words), c.signal ? 1 : 0);
    EXPECT_EQ(words[0], c.word0);
    EXPECT_EQ(words[1], c.word1);
  }
}

TEST(KolvaCardClock, RunsOnWithoutSignalAndLocksOnWhenItReturns) {
  OpenedCard card;
  card.local = makeLocalTime(2024, 3, 1, 19, 45, 30);
  ASSERT_EQ(card.configure(true), StatusCode::Success);
  card.clock.advance(10 * kSecond);
  kolvaSetIrigSignal(card.card(), false);
  card.local = makeLocalTime(2024, 3, 1, 8, 0, 0);  // the IRIG-B time no longer reaches the card
  card.clock.advance(5 * kSecond);
  uint32_t words[2];
  EXPECT_EQ(readCardTime(card.session, words), 0);
  EXPECT_EQ(words[0], timeWord(61, 19, 45, 45) | 0x80000000u);

  kolvaSetIrigSignal(card.card(), true);
  card.clock.advance(2 * kSecond);
  EXPECT_EQ(readCardTime(card.session, words), 1);
  EXPECT_EQ(words[0], timeWord(61, 8, 0, 2));
}

TEST(KolvaCardCapture, WritePointerMovesByOneRecordPerWordAndWraps) {
  struct Case {
    const char* name;
    uint16_t ringStart, ringEnd;
    uint64_t elapsed;
  };
  const Case cases[] = {
      {"nothing yet", 2, 10, 0},
      {"one millisecond", 2, 10, kMillisecond},
      {"within the lower half", 2, 10, 300 * kMillisecond},
      {"past the ring end", 2, 10, 2 * kSecond},
      {"small ring, many wraps", 3, 4, 1 * kSecond},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenedCard card;
    ASSERT_EQ(card.configure(false, c.ringStart, c.ringEnd), StatusCode::Success);
    const uint32_t start = c.ringStart * 0x10000u;
    const uint32_t records = (c.ringEnd - c.ringStart) * 0x10000u / 16;
    EXPECT_EQ(card.pointer(), start);
    card.loadTime(0x4600, 0);
    card.start();
    card.clock.advance(c.elapsed);
    const uint64_t arrived = wordsArrivedBy(TrafficConfig{}, c.elapsed);
    EXPECT_EQ(card.pointer(), start + 16 * (arrived % records)) << arrived << " words";
    EXPECT_EQ(card.card().recordsWritten, arrived);
    // Nothing outside the ring is written.
    const std::vector<uint8_t>& memory = card.card().memory;
    for (uint32_t a = 0x10000; a < kCardMemoryBytes; a += 16) {
      if (a >= start && a < c.ringEnd * 0x10000u) continue;
      ASSERT_EQ(memory[a + 8] | memory[a + 11], 0) << std::hex << a;
    }
  }
}

TEST(KolvaCardCapture, StopFreezesStartWhileRunningKeepsGoingConfigureRewinds) {
  OpenedCard card;
  ASSERT_EQ(card.configure(false), StatusCode::Success);
  card.start();
  card.clock.advance(100 * kMillisecond);
  const uint32_t afterFirst = card.pointer();
  EXPECT_GT(afterFirst, ring::kStart);

  card.start();  // already running: the traffic is not restarted
  card.clock.advance(100 * kMillisecond);
  EXPECT_EQ(card.pointer(), ring::kStart + 16 * wordsArrivedBy(TrafficConfig{}, 200 * kMillisecond));

  card.stop();
  const uint32_t stopped = card.pointer();
  card.clock.advance(100 * kMillisecond);
  EXPECT_EQ(card.pointer(), stopped);

  card.start();
  card.clock.advance(100 * kMillisecond);
  EXPECT_GT(card.pointer(), stopped);
  ASSERT_EQ(card.configure(false), StatusCode::Success);
  EXPECT_EQ(card.pointer(), ring::kStart);
  EXPECT_FALSE(card.card().capturing);
}

TEST(KolvaCardCapture, UnusableRingBoundsOrStuckConfigureCaptureNothingNew) {
  struct Case {
    const char* name;
    uint16_t ringStart, ringEnd;
    bool stuck;
  };
  const Case cases[] = {
      {"start over the registers", 0, 10, false},
      {"end before start", 10, 2, false},
      {"end beyond memory", 2, 11, false},
      {"configure never completes", 2, 10, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenedCard card;
    writeCardWord(card.session, reg::kWritePointerLow, 0x40);
    card.card().config.completion.mode = c.stuck ? CommandCompletion::kNever : CommandCompletion::kImmediate;
    EXPECT_EQ(card.configure(false, c.ringStart, c.ringEnd),
              c.stuck ? StatusCode::CannotExecuteCommand : StatusCode::Success);
    EXPECT_EQ(card.pointer(), 0x40u);
    if (!c.stuck) {
      card.start();
      card.clock.advance(100 * kMillisecond);
      EXPECT_EQ(card.card().recordsWritten, 0u);
      EXPECT_EQ(card.pointer(), 0x40u);
    }
  }
}

TEST(KolvaCardCapture, RecordsHoldTheGeneratorsWordsTaggedByTheCardClock) {
  SimConfig config;
  config.card.traffic.wordsPerSecond = 200000;
  config.card.traffic.errorOneIn = 50;
  OpenedCard card(config);
  ASSERT_EQ(card.configure(false), StatusCode::Success);
  card.loadTime(0xB398, 0x83D9);  // day 339, 22:07:59
  card.clock.advance(3 * kMillisecond);  // capture starts 3 ms after the time was loaded
  card.start();
  card.clock.advance(50 * kMillisecond);
  const uint32_t count = (card.pointer() - ring::kStart) / 16;
  ASSERT_GT(count, 9000u);

  std::vector<unsigned char> bytes(count * 16);
  readCardBlock(card.session, ring::kStart, count * 8, bytes.data());
  TrafficGenerator generator;
  resetTrafficGenerator(generator, config.card.traffic);
  const uint64_t loaded = (339ull * 86400 + 22 * 3600 + 7 * 60 + 59) * 2000000ull + 3 * 2000;
  unsigned errors = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const BusWordEvent expected = nextBusWord(generator);
    const BusRecord record = busRecordFromBytes(bytes.data() + 16 * i);
    ASSERT_EQ(busWord(record), expected.busWord) << i;
    ASSERT_EQ(busChannel(record), expected.busChannel) << i;
    ASSERT_EQ(commandSync(record), expected.commandSync) << i;
    ASSERT_EQ(errorFlags(record), expected.errorFlags) << i;
    ASSERT_EQ(timeTagHalfMicrosExact(timeTagOf(record)), loaded + expected.arrival) << i;
    ASSERT_EQ(record.words[6] | record.words[7], 0) << i;
    ASSERT_EQ(record.words[0] & 0xC000, 0) << i;
    if (expected.errorFlags != 0) ++errors;
  }
  EXPECT_GT(errors, 0u);
}

// Drains the ring as the recorder does: a completed half whenever register 36 shows the other half.
TEST(KolvaCardCapture, ADrainedRecordingEqualsTheGeneratedFileByteForByte) {
  SimConfig config;
  config.card.traffic.wordsPerSecond = 200000;
  OpenedCard card(config);
  const LocalTime start = makeLocalTime(2024, 12, 31, 23, 59, 59);  // crosses the year end
  ASSERT_EQ(setUpRecorder(card.session, 0), StatusCode::Success);
  ASSERT_EQ(loadTimeAndStart(card.session, 0, start), StatusCode::Success);

  std::vector<unsigned char> recorded;
  std::vector<unsigned char> half(ring::kHalfBytes);
  uint16_t captureHalf = 0;
  for (int tick = 0; tick < 300; ++tick) {  // 1.2 s: about 240000 words, several wraps
    card.clock.advance(4 * kMillisecond);
    const uint16_t high = readCardWord(card.session, reg::kWritePointerHigh);
    const bool upper = high >= ring::kUpperHalfHigh;
    if (upper == (captureHalf != 0)) continue;
    readCardBlock(card.session, captureHalf ? ring::kMiddle : ring::kStart, ring::kHalfWords, half.data());
    recorded.insert(recorded.end(), half.begin(), half.end());
    captureHalf = upper ? 1 : 0;
  }
  ASSERT_GE(recorded.size(), 6u * ring::kHalfBytes);

  const std::string path = ::testing::TempDir() + "generated.qel";
  const uint64_t records = recorded.size() / 16;
  ASSERT_EQ(writeGeneratedRecords(path.c_str(), config.card.traffic, records, start), StatusCode::Success);
  FILE* file = std::fopen(path.c_str(), "rb");
  ASSERT_NE(file, nullptr);
  std::vector<unsigned char> generated(recorded.size() + 1);
  EXPECT_EQ(std::fread(generated.data(), 1, generated.size(), file), recorded.size());
  std::fclose(file);
  std::remove(path.c_str());
  for (uint64_t i = 0; i < records; ++i) {
    ASSERT_EQ(std::memcmp(recorded.data() + 16 * i, generated.data() + 16 * i, 16), 0) << "record " << i;
  }
  // The tags crossed into the new year: day 1 appears after day 366.
  const BusRecord last = busRecordFromBytes(recorded.data() + recorded.size() - 16);
  EXPECT_EQ(dayOfYear(timeTagOf(last)), 1u);
}

TEST(KolvaCardCapture, ReplayDeliversTheFilesWordsAtTheirSpacing) {
  TrafficConfig source;
  source.seed = 99;
  source.errorOneIn = 20;
  const uint64_t count = 500;
  std::vector<unsigned char> original(count * 16);
  TrafficGenerator generator;
  resetTrafficGenerator(generator, source);
  ASSERT_EQ(generateRecords(generator, makeLocalTime(2025, 6, 1, 12, 0, 0), count, original.data()), count);
  const std::string path = ::testing::TempDir() + "replayed.qel";
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(original.data(), 1, original.size(), file);
  std::fclose(file);

  SimConfig config;
  config.card.replayPath = path;
  OpenedCard card(config);
  ASSERT_EQ(card.configure(false), StatusCode::Success);
  card.loadTime(0x4600, 0);  // 1 March 2025, 00:00:00
  card.start();
  card.clock.advance(10 * kSecond);  // well past the last record
  ASSERT_EQ(card.pointer(), ring::kStart + 16 * count);
  std::vector<unsigned char> replayed(count * 16);
  readCardBlock(card.session, ring::kStart, count * 8, replayed.data());
  std::remove(path.c_str());

  const BusRecord firstOriginal = busRecordFromBytes(original.data());
  const BusRecord firstReplayed = busRecordFromBytes(replayed.data());
  for (uint64_t i = 0; i < count; ++i) {
    const BusRecord a = busRecordFromBytes(original.data() + 16 * i);
    const BusRecord b = busRecordFromBytes(replayed.data() + 16 * i);
    ASSERT_EQ(a.words[4], b.words[4]) << i;
    ASSERT_EQ(a.words[5], b.words[5]) << i;
    ASSERT_EQ(timeTagHalfMicrosExact(timeTagOf(a)) - timeTagHalfMicrosExact(timeTagOf(firstOriginal)),
              timeTagHalfMicrosExact(timeTagOf(b)) - timeTagHalfMicrosExact(timeTagOf(firstReplayed)))
        << i;
  }
  EXPECT_EQ(dayOfYear(timeTagOf(firstReplayed)), 60u);
}

}  // namespace
