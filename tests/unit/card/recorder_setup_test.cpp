#include <gtest/gtest.h>

#include <vector>

#include "card/card_access.h"
#include "card/card_registers.h"
#include "card/recorder_setup.h"
#include "tests/unit/sim/sim_card_fixture.h"

namespace {

struct OpenedCard : SimCardFixture {
  OpenedCard() {
    EXPECT_EQ(open(), StatusCode::Success);
    card().writeLog.clear();
  }
};

// The 54 set-up words as (register, value), with the given time-source word.
std::vector<RegisterWrite> setUpWords(uint16_t timeSource) {
  std::vector<RegisterWrite> words;
  for (uint32_t offset = 0x04; offset <= 0x4C; offset += 2) {
    uint16_t value = 0;
    if (offset == 0x12 || offset == 0x20) value = 0x000F;
    if (offset == 0x22) value = 0x1000;
    if (offset == 0x38) value = timeSource;
    words.push_back({offset, value});
  }
  const uint16_t second[17] = {0, 0, 0xC000, 0, 0, 0, 0x00FF, 0xFFFF, 0xFFFF, 0x8030, 0, 0, 0, 2, 0, 10, 0};
  for (uint32_t i = 0; i < 17; ++i) words.push_back({0x1000 + 2 * i, second[i]});
  return words;
}

void expectWrites(const std::vector<RegisterWrite>& log, size_t from, const std::vector<RegisterWrite>& expected) {
  ASSERT_GE(log.size(), from + expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(log[from + i].offset, expected[i].offset) << "write " << from + i;
    EXPECT_EQ(log[from + i].value, expected[i].value) << "write " << from + i;
  }
}

TEST(CardTimeWords, WorkedDates) {
  struct Case {
    LocalTime time;
    int irigInput;
    uint16_t a, b;
  };
  const Case cases[] = {
      {makeLocalTime(2026, 12, 5, 22, 7, 59), 0, 0xB398, 0x83D9},
      {makeLocalTime(2024, 3, 1, 19, 45, 30), 0, 0x0616, 0x62B0},
      {makeLocalTime(2024, 3, 1, 19, 45, 30), 1, 0x3FFF, 0x62B0},
      {makeLocalTime(2025, 3, 1, 0, 0, 0), 0, 0x4600, 0x0000},
      {makeLocalTime(2024, 12, 31, 23, 59, 59), 0, 0x3668, 0xECD9},
      {makeLocalTime(2026, 12, 5, 22, 7, 59), 0x8000, 0xBFFF, 0x83D9},
      {makeLocalTime(2026, 12, 5, 22, 7, 59), -32768, 0xBFFF, 0x83D9},
      {makeLocalTime(2023, 1, 1, 9, 0, 0), 0, 0xC012, 0x4000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.time.year * 10000 + c.time.month * 100 + c.time.day);
    const CardTimeWords words = cardTimeWords(c.time, c.irigInput);
    EXPECT_EQ(words.a, c.a);
    EXPECT_EQ(words.b, c.b);
  }
}

TEST(SetUpRecorder, Writes54WordsInOrderThenConfigures) {
  struct Case {
    int irigInput;
    uint16_t timeSource;
  };
  const Case cases[] = {{0, 0}, {1, 0x8000}, {0x8000, 0x8000}, {-32768, 0x8000}, {2, 0x8000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.irigInput);
    OpenedCard card;
    EXPECT_EQ(setUpRecorder(card.session, c.irigInput), StatusCode::Success);
    const std::vector<RegisterWrite>& log = card.driver->writeLog();
    ASSERT_EQ(log.size(), 56u);
    expectWrites(log, 0, setUpWords(c.timeSource));
    expectWrites(log, 54, {{reg::kCommand, cmd::kConfigure}, {reg::kDoorbell, doorbell::kRunCommand}});
    // The card took the configuration: write pointer at the ring start, the chosen time source.
    EXPECT_EQ(readCaptureWritePointer(card.session), ring::kStart);
    EXPECT_EQ(card.card().timeSourceIrig, c.timeSource != 0);
  }
}

TEST(SetUpRecorder, ConfigureTimingOutStillWroteEveryWord) {
  OpenedCard card;
  card.card().config.completion = CommandCompletion{CommandCompletion::kNever, 0};
  EXPECT_EQ(setUpRecorder(card.session, 0), StatusCode::CannotExecuteCommand);
  ASSERT_EQ(card.driver->writeLog().size(), 56u);
  expectWrites(card.driver->writeLog(), 0, setUpWords(0));
  EXPECT_EQ(card.driver->registerReads(reg::kCommand), kCommandPollCount);
}

TEST(LoadTimeAndStart, LoadsTheTimeWordsThenStartsCapture) {
  OpenedCard card;
  ASSERT_EQ(setUpRecorder(card.session, 0), StatusCode::Success);
  card.card().writeLog.clear();
  const LocalTime now = makeLocalTime(2026, 12, 5, 22, 7, 59);

  EXPECT_EQ(loadTimeAndStart(card.session, 0, now), StatusCode::Success);
  expectWrites(card.driver->writeLog(), 0,
               {{reg::kTimeWordA, 0xB398},
                {reg::kTimeWordB, 0x83D9},
                {reg::kCommand, cmd::kLoadTime},
                {reg::kDoorbell, doorbell::kRunCommand},
                {reg::kCommand, cmd::kStartCapture},
                {reg::kDoorbell, doorbell::kRunCommand}});
  EXPECT_EQ(card.driver->writeLog().size(), 6u);
  EXPECT_TRUE(card.card().capturing);

  // The card's clock now shows the loaded time: day 339, 22:07:59.
  uint32_t words[2];
  readCardTime(card.session, words);
  EXPECT_EQ(words[0] & 0x3FFFFFFFu, (3u << 28) | (39u << 21) | (22u << 16) | (7u << 6) | 59u);
}

TEST(LoadTimeAndStart, LoadTimeTimingOutDoesNotStartCapture) {
  OpenedCard card;
  card.card().config.completion = CommandCompletion{CommandCompletion::kNever, 0};
  EXPECT_EQ(loadTimeAndStart(card.session, 0, makeLocalTime(2025, 3, 1, 0, 0, 0)), StatusCode::CannotExecuteCommand);
  const std::vector<RegisterWrite>& log = card.driver->writeLog();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[2].value, cmd::kLoadTime);
  EXPECT_FALSE(card.card().capturing);
}

TEST(ReinitialiseRecorder, WithoutCardTouchesNothing) {
  SimCardFixture fixture;
  int16_t irigInput = 0;
  reinitialiseRecorder(fixture.session, false, irigInput, makeLocalTime(2026, 12, 5, 22, 7, 59));
  EXPECT_EQ(irigInput, 0);
  EXPECT_EQ(fixture.driver->requestCount(IOCTL_WD_TRANSFER), 0u);
  EXPECT_TRUE(fixture.driver->writeLog().empty());
}

TEST(ReinitialiseRecorder, ForcesIrigInputAndLeavesTheCardStopped) {
  const int16_t choices[] = {0, 1};
  for (int16_t choice : choices) {
    SCOPED_TRACE(choice);
    OpenedCard card;
    int16_t irigInput = choice;
    reinitialiseRecorder(card.session, true, irigInput, makeLocalTime(2024, 3, 1, 19, 45, 30));
    EXPECT_EQ(irigInput, choice);
    const std::vector<RegisterWrite>& log = card.driver->writeLog();
    ASSERT_EQ(log.size(), 56u + 6u + 2u);
    expectWrites(log, 0, setUpWords(0x8000));
    expectWrites(log, 56, {{reg::kTimeWordA, 0x3FFF}, {reg::kTimeWordB, 0x62B0}});
    expectWrites(log, 62, {{reg::kCommand, cmd::kStopCapture}, {reg::kDoorbell, doorbell::kRunCommand}});
    EXPECT_FALSE(card.card().capturing);
  }
}

}  // namespace
