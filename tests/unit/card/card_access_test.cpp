#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "card/card_access.h"
#include "card/card_registers.h"
#include "tests/unit/sim/sim_card_fixture.h"

namespace {

struct OpenedCard : SimCardFixture {
  OpenedCard() { EXPECT_EQ(open(), StatusCode::Success); }
};

TEST(CardAccess, RegisterNIsReachedAtBytesNXor2) {
  struct Case {
    uint32_t offset;
    uint32_t byte;
  };
  const Case cases[] = {{0, 2}, {2, 0}, {4, 6}, {6, 4}, {36, 38}, {38, 36}, {44, 46}, {0x1018, 0x101A}};
  OpenedCard card;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offset);
    const uint16_t value = static_cast<uint16_t>(0x5A00 + c.offset);
    writeCardWord(card.session, c.offset, value);
    EXPECT_EQ(card.session.transfer.cmdTrans, static_cast<uint32_t>(WM_WORD));
    EXPECT_EQ(card.session.transfer.dwPort, card.session.memoryBase + c.byte);
    EXPECT_EQ(card.driver->memoryWord(c.byte), value);

    // Reading goes the same way: a word placed at the byte is what the register reads.
    const uint16_t placed = static_cast<uint16_t>(0xC300 + c.offset);
    card.card().memory[c.byte] = placed & 0xFF;
    card.card().memory[c.byte + 1] = placed >> 8;
    EXPECT_EQ(readCardWord(card.session, c.offset), placed);
    EXPECT_EQ(card.session.transfer.cmdTrans, static_cast<uint32_t>(RM_WORD));
  }
}

TEST(CardAccess, TransferFieldsOfEachRequestForm) {
  OpenedCard card;
  WD_TRANSFER& t = card.session.transfer;
  uint16_t buffer[8];
  readCardBlock(card.session, 0x20000, 8, buffer);
  EXPECT_EQ(t.cmdTrans, static_cast<uint32_t>(RM_SWORD));
  EXPECT_EQ(t.dwPort, card.session.memoryBase + 0x20000);
  EXPECT_EQ(t.dwBytes, 16u);
  EXPECT_EQ(t.fAutoinc, 1u);

  // Word and 32-bit requests leave dwBytes and fAutoinc as the block read set them.
  writeCardWord(card.session, 0x1000, 1);
  EXPECT_EQ(t.dwBytes, 16u);
  EXPECT_EQ(t.fAutoinc, 1u);
  readCardWord(card.session, 0x1000);
  EXPECT_EQ(t.dwBytes, 16u);
  uint32_t words[2];
  readCardTime(card.session, words);
  EXPECT_EQ(t.cmdTrans, static_cast<uint32_t>(RM_DWORD));
  EXPECT_EQ(t.dwPort, card.session.memoryBase);
  EXPECT_EQ(t.dwBytes, 16u);
  EXPECT_EQ(t.fAutoinc, 1u);
  EXPECT_EQ(t.dwOptions, 0u);
}

TEST(CardAccess, BlockReadOfTheLowerHalfCoversExactlyItsBytes) {
  OpenedCard card;
  std::vector<uint8_t>& memory = card.card().memory;
  for (size_t i = 0; i < memory.size(); ++i) memory[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
  const size_t guard = 64;
  std::vector<uint8_t> buffer(ring::kHalfBytes + guard, 0xEE);

  readCardBlock(card.session, ring::kStart, ring::kHalfWords, buffer.data());

  EXPECT_EQ(std::memcmp(buffer.data(), memory.data() + 0x20000, 0x40000), 0);
  EXPECT_EQ(buffer[0], memory[0x20000]);
  EXPECT_EQ(buffer[0x3FFFF], memory[0x5FFFF]);
  for (size_t i = ring::kHalfBytes; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xEE) << i;
  EXPECT_EQ(card.session.transfer.dwBytes, 0x40000u);
}

TEST(CardAccess, WaitedCommandPollsAtMost100000Reads) {
  struct Case {
    const char* name;
    CommandCompletion completion;
    StatusCode status;
    uint64_t reads;
  };
  const Case cases[] = {
      {"at once", {CommandCompletion::kImmediate, 0}, StatusCode::Success, 1},
      {"on the 5th read", {CommandCompletion::kAfterReads, 5}, StatusCode::Success, 5},
      {"on the 99999th read", {CommandCompletion::kAfterReads, 99999}, StatusCode::Success, 99999},
      {"on the 100000th read", {CommandCompletion::kAfterReads, 100000}, StatusCode::CannotExecuteCommand, 100000},
      {"never", {CommandCompletion::kNever, 0}, StatusCode::CannotExecuteCommand, 100000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenedCard card;
    card.card().config.completion = c.completion;
    EXPECT_EQ(issueCardCommand(card.session, cmd::kStopCapture, true), c.status);
    EXPECT_EQ(card.driver->registerReads(reg::kCommand), c.reads);
  }
}

TEST(CardAccess, UnwaitedCommandNeverReadsRegister4) {
  const CommandCompletion modes[] = {{CommandCompletion::kImmediate, 0}, {CommandCompletion::kNever, 0}};
  for (const CommandCompletion& mode : modes) {
    OpenedCard card;
    card.card().config.completion = mode;
    card.card().writeLog.clear();
    EXPECT_EQ(issueCardCommand(card.session, cmd::kStartCapture, false), StatusCode::Success);
    EXPECT_EQ(card.driver->registerReads(reg::kCommand), 0u);
    ASSERT_EQ(card.driver->writeLog().size(), 2u);
    EXPECT_EQ(card.driver->writeLog()[0].offset, reg::kCommand);
    EXPECT_EQ(card.driver->writeLog()[0].value, cmd::kStartCapture);
    EXPECT_EQ(card.driver->writeLog()[1].offset, reg::kDoorbell);
    EXPECT_EQ(card.driver->writeLog()[1].value, doorbell::kRunCommand);
  }
}

TEST(CardAccess, TimeReadGivesTheLatchedWordsAndTheSignalFlag) {
  struct Case {
    bool signal;
    int valid;
  };
  const Case cases[] = {{true, 1}, {false, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.signal);
    OpenedCard card;
    kolvaSetIrigSignal(card.card(), c.signal);
    // The card's clock starts at day 1, 00:00:00 on the internal source.
    card.clock.advance(12307012345500ull);  // 3 h 25 min 7 s 12 ms 345.5 us
    uint32_t words[2] = {0, 0};
    EXPECT_EQ(readCardTime(card.session, words), c.valid);
    const uint32_t expectedTime = (0u << 28) | (1u << 21) | (3u << 16) | (25u << 6) | 7u;
    EXPECT_EQ(words[0], expectedTime | (c.signal ? 0u : 0x80000000u));
    EXPECT_EQ(words[1], (12u << 16) | 691u);
  }
}

TEST(CardAccess, WritePointerFromRegisters36And38) {
  OpenedCard card;
  writeCardWord(card.session, reg::kWritePointerHigh, 0xFFF6);  // only bits 3-0 count
  writeCardWord(card.session, reg::kWritePointerLow, 0x0010);
  EXPECT_EQ(readCaptureWritePointer(card.session), 0x60010u);
}

}  // namespace
