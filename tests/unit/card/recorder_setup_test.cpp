#include "card/recorder_setup.h"

#include <gtest/gtest.h>

#include "card/card_access.h"
#include "card/card_registers.h"
#include "tests/support/sim_card_fixture.h"

namespace {

RegisterWrites operator+(RegisterWrites a, const RegisterWrites& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The 54 set-up words, registers 0x04 to 0x4C then 0x1000 to 0x1020, with the given time source.
RegisterWrites setUpWords(uint16_t timeSource) {
  uint16_t first[37] = {0, 0, 0, 0, 0, 0, 0, 0x000F, 0, 0, 0, 0, 0, 0, 0x000F, 0x1000};  // the rest 0
  first[(0x38 - 0x04) / 2] = timeSource;
  const uint16_t second[17] = {0, 0, 0xC000, 0, 0, 0, 0x00FF, 0xFFFF, 0xFFFF, 0x8030, 0, 0, 0, 2, 0, 10, 0};
  RegisterWrites words;
  for (uint32_t i = 0; i < 37; ++i) words.push_back({0x04 + 2 * i, first[i]});
  for (uint32_t i = 0; i < 17; ++i) words.push_back({0x1000 + 2 * i, second[i]});
  return words;
}

RegisterWrites command(uint16_t code) { return {{reg::kCommand, code}, {reg::kDoorbell, doorbell::kRunCommand}}; }

RegisterWrites timeWords(unsigned a, unsigned b) { return {{reg::kTimeWordA, a}, {reg::kTimeWordB, b}}; }

}  // namespace

TEST(CardTimeWords, WorkedDates) {
  const struct {
    LocalTime time;
    int irigInput;
    uint16_t a, b;
  } cases[] = {
      {LocalTime{2026, 12, 5, 22, 7, 59}, 0, 0xB398, 0x83D9},
      {LocalTime{2024, 3, 1, 19, 45, 30}, 0, 0x0616, 0x62B0},
      {LocalTime{2025, 3, 1, 0, 0, 0}, 0, 0x4600, 0x0000},
      {LocalTime{2024, 12, 31, 23, 59, 59}, 0, 0x3668, 0xECD9},
      {LocalTime{2026, 12, 5, 22, 7, 59}, -32768, 0xBFFF, 0x83D9},
      {LocalTime{2023, 1, 1, 9, 0, 0}, 0, 0xC012, 0x4000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.time.year * 10000 + c.time.month * 100 + c.time.day);
    const CardTimeWords words = cardTimeWords(c.time, c.irigInput);
    EXPECT_EQ(words.a, c.a);
    EXPECT_EQ(words.b, c.b);
  }
}

// Every word is written even when the configure command then times out.
TEST(SetUpRecorder, Writes54WordsInOrderThenConfigures) {
  // IRIG-B input, time-source word, configure completes
  const int cases[][3] = {{0, 0, 1}, {1, 0x8000, 1}, {-32768, 0x8000, 1}, {0, 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0]);
    OpenedSimCard card;
    if (!c[2]) card.card().config.completion = CommandCompletion{CommandCompletion::kNever, 0};
    EXPECT_EQ(setUpRecorder(card.session, c[0]), c[2] ? StatusCode::Success : StatusCode::CannotExecuteCommand);
    EXPECT_EQ(registerWritesOf(card), setUpWords(static_cast<uint16_t>(c[1])) + command(cmd::kConfigure));
    if (!c[2]) continue;
    // The card took the configuration: write pointer at the ring start, the chosen time source.
    EXPECT_EQ(readWritePointer(card.session), ring::kStart);
    EXPECT_EQ(card.card().timeSourceIrig, c[1] != 0);
  }
}

// Set-up and time load on the IRIG-B input whatever the choice, which is kept, then capture
// stopped again.
TEST(ReinitialiseRecorder, ForcesIrigInputAndLeavesTheCardStopped) {
  for (const int16_t choice : {0, 1}) {
    SCOPED_TRACE(choice);
    OpenedSimCard card;
    int16_t irigInput = choice;
    reinitialiseRecorder(card.session, true, irigInput, LocalTime{2024, 3, 1, 19, 45, 30});
    EXPECT_EQ(irigInput, choice);
    EXPECT_EQ(registerWritesOf(card), setUpWords(0x8000) + command(cmd::kConfigure) + timeWords(0x3FFF, 0x62B0) +
                                          command(cmd::kLoadTime) + command(cmd::kStartCapture) +
                                          command(cmd::kStopCapture));
    EXPECT_FALSE(card.card().capturing);
  }
}
