#include "sim/kolva_card.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "card/card_access.h"
#include "card/card_registers.h"
#include "card/recorder_setup.h"
#include "files/bus_record.h"
#include "tests/support/sim_card_fixture.h"
#include "tests/support/sim_support.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr uint64_t kMillisecond = 1000000;  // nanoseconds
constexpr uint64_t kSecond = 1000 * kMillisecond;

uint32_t timeWord(unsigned day, unsigned h, unsigned m, unsigned s, bool signal = true) {
  return (signal ? 0u : 0x80000000u) | ((day / 100) << 28) | ((day % 100) << 21) | (h << 16) | (m << 6) | s;
}

uint64_t tagHalfMicros(const Bytes& records, size_t i) {
  return timeTagHalfMicrosExact(timeTagOf(busRecordFromBytes(records.data() + 16 * i)));
}

// The time words latched by doorbell 0x303 after a time load, by time source and signal. The
// IRIG-B time is 1 March 2024 (day 61), 19:45:30; the card powers on at day 1, 00:00:00. Where
// the signal toggles, it does so 10 s after the load, the IRIG-B time then being 08:00:00.
TEST(KolvaCardClock, TimeWordsFollowTheSourceAndTheSignal) {
  const LocalTime dec5{2026, 12, 5, 22, 7, 59};
  const uint64_t ms1500 = 1500 * kMillisecond, half = 500u << 16;
  const struct {
    const char* name;
    bool irigSource, signal;
    LocalTime load;
    int irigInput;  // of the time words loaded: 1 sets the IRIG-B marker
    uint64_t advance;
    uint32_t word0, word1;
    bool toggles = false;
  } cases[] = {
      {"internal", false, true, dec5, 0, ms1500, timeWord(339, 22, 8, 0), half},
      {"internal, marker: runs on", false, true, dec5, 1, ms1500, timeWord(1, 0, 0, 1), half},
      {"IRIG-B, marker", true, true, dec5, 1, 250 * kMillisecond, timeWord(61, 19, 45, 30), 250u << 16},
      {"IRIG-B, digits ignored", true, true, dec5, 0, 0, timeWord(61, 19, 45, 30), 0},
      {"IRIG-B, no signal: digits run on", true, false, dec5, 0, ms1500, timeWord(339, 22, 8, 0, false), half},
      {"leap year end", false, true, {2024, 12, 31, 23, 59, 59}, 0, 2 * kSecond, timeWord(1, 0, 0, 1), 0},
      {"common year end", false, true, {2025, 12, 31, 23, 59, 59}, 0, 2 * kSecond, timeWord(1, 0, 0, 1), 0},
      {"day 366", false, true, {2024, 12, 30, 23, 59, 59}, 0, 2 * kSecond + 3, timeWord(366, 0, 0, 1), 0},
      {"sub-millisecond", false, true, dec5, 0, 999999999, timeWord(339, 22, 7, 59), (999u << 16) | 1999u},
      {"IRIG-B, signal lost: runs on", true, true, dec5, 1, 5 * kSecond, timeWord(61, 19, 45, 45, false), 0, true},
      {"IRIG-B, signal returns: locks on", true, false, dec5, 1, 2 * kSecond, timeWord(61, 8, 0, 2), 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimConfig config;
    config.card.irigSignalPresent = c.signal;
    OpenedSimCard card(config);
    card.local = LocalTime{2024, 3, 1, 19, 45, 30};
    ASSERT_EQ(setUpRecorder(card.session, c.irigSource), StatusCode::Success);
    ASSERT_EQ(loadTimeAndStart(card.session, c.irigInput, c.load), StatusCode::Success);
    if (c.toggles) {
      card.clock.advance(10 * kSecond);
      card.local = LocalTime{2024, 3, 1, 8, 0, 0};
      kolvaSetIrigSignal(card.card(), !c.signal);
    }
    card.clock.advance(c.advance);
    uint32_t words[2];
    bool valid = false;
    EXPECT_EQ(readCardTime(card.session, words, valid), StatusCode::Success);
    EXPECT_EQ(valid, c.signal != c.toggles);
    EXPECT_EQ(words[0], c.word0);
    EXPECT_EQ(words[1], c.word1);
  }
}

// The time is loaded 1 s before capture starts, at 23:59:58 on the last day of a leap year. The
// ring, drained as the recorder does (a completed half whenever register 36 shows the other
// half), holds the generator's words as records tagged by the card clock, and those words are
// whole messages.
TEST(KolvaCardCapture, ADrainedRecordingHoldsTheGeneratorsMessagesTaggedByTheCardClock) {
  SimConfig config;
  config.card.traffic.wordsPerSecond = 200000;
  config.card.traffic.errorOneIn = 50;
  OpenedSimCard card(config);
  ASSERT_EQ(setUpRecorder(card.session, 0), StatusCode::Success);
  const CardTimeWords load = cardTimeWords(LocalTime{2024, 12, 31, 23, 59, 58}, 0);
  writeRegister(card.session, reg::kTimeWordA, load.a);
  writeRegister(card.session, reg::kTimeWordB, load.b);
  ASSERT_EQ(issueCardCommand(card.session, cmd::kLoadTime, true), StatusCode::Success);
  card.clock.advance(kSecond);
  ASSERT_EQ(issueCardCommand(card.session, cmd::kStartCapture, false), StatusCode::Success);
  Bytes recorded, half(ring::kHalfBytes);
  bool drainUpper = false;
  for (int tick = 0; tick < 300; ++tick) {  // 1.2 s: about 240000 words, several wraps
    card.clock.advance(4 * kMillisecond);
    const bool upper = readRegister(card.session, reg::kWritePointerHigh) >= ring::kUpperHalfHigh;
    if (upper == drainUpper) continue;
    readBlock(card.session, drainUpper ? ring::kMiddle : ring::kStart, ring::kHalfWords, half.data());
    recorded.insert(recorded.end(), half.begin(), half.end());
    drainUpper = upper;
  }
  ASSERT_GE(recorded.size(), 6u * ring::kHalfBytes);
  TrafficGenerator generator;
  resetTrafficGenerator(generator, config.card.traffic);
  const uint64_t captureStart = (366ull * 86400 + 23 * 3600 + 59 * 60 + 59) * 2000000;  // day 366, 23:59:59
  uint32_t dataLeft[kBusChannels] = {0, 0, 0, 0};
  uint64_t previous = 0;
  for (size_t i = 0; i < 100000; ++i) {  // within the year
    const BusWordEvent e = nextBusWord(generator);
    const BusRecord r = busRecordFromBytes(recorded.data() + 16 * i);
    ASSERT_EQ(busWord(r), e.busWord) << i;
    ASSERT_TRUE(busChannel(r) == e.busChannel && commandSync(r) == e.commandSync && errorFlags(r) == e.errorFlags) << i;
    ASSERT_EQ(tagHalfMicros(recorded, i), captureStart + e.arrival) << i;
    ASSERT_EQ(r.words[6] | r.words[7] | (r.words[0] & 0xC000), 0) << i;
    // In time order, each channel carries a command word announcing 1 to maxDataWords data words,
    // then those words.
    ASSERT_GE(e.arrival, previous) << i;
    previous = e.arrival;
    uint32_t& left = dataLeft[e.busChannel];
    ASSERT_EQ(e.commandSync, left == 0 ? 1 : 0) << i;
    left = e.commandSync ? (e.busWord & 0x3FFFu) : left - 1;
    ASSERT_TRUE(!e.commandSync || (left >= 1 && left <= config.card.traffic.maxDataWords)) << left;
  }
  // The tags crossed into the new year: day 1 appears after day 366.
  EXPECT_EQ(dayOfYear(timeTagOf(busRecordFromBytes(recorded.data() + recorded.size() - 16))), 1u);
}

TEST(KolvaCardCapture, ReplayDeliversTheFilesWholeRecordsAtTheirSpacing) {
  TrafficConfig source;
  source.seed = 99;
  source.errorOneIn = 20;
  const size_t count = 500;
  TempFolder folder;
  const std::string path = folder.file("replayed.qel");
  ASSERT_EQ(writeGeneratedRecords(path.c_str(), source, count, LocalTime{2025, 6, 1, 12, 0, 0}), StatusCode::Success);
  const Bytes original = readBytes(path);
  std::ofstream(path, std::ios::binary | std::ios::app) << std::string(4, '\0');  // a part record, never replayed
  Bytes replayed(count * 16);
  SimConfig config;
  config.card.replayPath = path;
  OpenedSimCard card(config);
  ASSERT_EQ(setUpRecorder(card.session, 0), StatusCode::Success);
  ASSERT_EQ(loadTimeAndStart(card.session, 0, LocalTime{2025, 3, 1, 0, 0, 0}), StatusCode::Success);
  card.clock.advance(10 * kSecond);  // well past the last record
  ASSERT_EQ(readWritePointer(card.session), ring::kStart + 16 * count);
  readBlock(card.session, ring::kStart, count * 8, replayed.data());
  for (size_t i = 0; i < count; ++i) {
    ASSERT_EQ(std::memcmp(&original[16 * i + 8], &replayed[16 * i + 8], 4), 0) << i;  // bus word, flags, channel
    ASSERT_EQ(tagHalfMicros(original, i) - tagHalfMicros(original, 0),
              tagHalfMicros(replayed, i) - tagHalfMicros(replayed, 0))
        << i;
  }
  EXPECT_EQ(dayOfYear(timeTagOf(busRecordFromBytes(replayed.data()))), 60u);
}

}  // namespace
