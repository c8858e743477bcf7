#include "card/card_access.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "card/card_registers.h"
#include "tests/support/sim_card_fixture.h"

TEST(CardAccess, RegisterNIsReachedAtBytesNXor2AndBlocksAtTheirOffset) {
  const uint32_t cases[][2] = {{0, 2}, {2, 0}, {4, 6}, {6, 4}, {36, 38}, {38, 36}, {0x1018, 0x101A}};  // n, byte
  OpenedSimCard card;
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0]);
    const uint16_t value = static_cast<uint16_t>(0x5A00 + c[0]);
    writeRegister(card.session, c[0], value);
    EXPECT_EQ(card.driver->memoryWord(c[1]), value);
    card.card().memory[c[1]] = 0x12;
    card.card().memory[c[1] + 1] = 0xC3;
    EXPECT_EQ(readRegister(card.session, c[0]), 0xC312);
  }
  // The write pointer: bits 3-0 of register 36 above register 38.
  writeRegister(card.session, reg::kWritePointerHigh, 0xFFF6);
  writeRegister(card.session, reg::kWritePointerLow, 0x0010);
  EXPECT_EQ(readWritePointer(card.session), 0x60010u);

  // Blocks are read at their plain offset in host byte order (no XOR), every byte and no more.
  std::vector<uint8_t>& memory = card.card().memory;
  for (size_t i = 0; i < memory.size(); ++i) memory[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
  std::vector<uint8_t> buffer(ring::kHalfBytes + 64, 0xEE);
  readBlock(card.session, ring::kStart, ring::kHalfWords, buffer.data());
  EXPECT_EQ(std::memcmp(buffer.data(), memory.data() + ring::kStart, ring::kHalfBytes), 0);
  for (size_t i = ring::kHalfBytes; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xEE) << i;
}

// A command is its code, then the doorbell; a waited one polls register 4 until it reads 0,
// at most 100000 times, and completion seen on the last read is still a timeout.
TEST(CardAccess, CommandWritesCodeAndDoorbellThenPollsAtMost100000Reads) {
  const struct {
    bool wait;
    CommandCompletion completion;
    StatusCode status;
    uint64_t reads;  // driver requests after the two writes
  } cases[] = {
      {true, {CommandCompletion::kImmediate, 0}, StatusCode::Success, 1},
      {true, {CommandCompletion::kAfterReads, 99999}, StatusCode::Success, 99999},
      {true, {CommandCompletion::kNever, 0}, StatusCode::CannotExecuteCommand, 100000},
      {false, {CommandCompletion::kNever, 0}, StatusCode::Success, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reads);
    OpenedSimCard card;
    card.card().config.completion = c.completion;
    EXPECT_EQ(issueCardCommand(card.session, cmd::kStopCapture, c.wait), c.status);
    EXPECT_EQ(card.driver->requestCount(IOCTL_WD_TRANSFER), 2 + c.reads);
    EXPECT_EQ(registerWritesOf(card),
              (RegisterWrites{{reg::kCommand, cmd::kStopCapture}, {reg::kDoorbell, doorbell::kRunCommand}}));
  }
}
