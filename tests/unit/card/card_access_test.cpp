#include "card/card_access.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
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
// Counts the 16-bit reads of one card address on their way to the driver.
struct ReadCountingPort : DriverPort {
  DriverPort& inner;
  uint32_t address;
  uint64_t reads = 0;
  ReadCountingPort(DriverPort& port, uint32_t counted) : inner(port), address(counted) {}
  DriverHandle openDevice() override { return inner.openDevice(); }
  void closeDevice(DriverHandle handle) override { inner.closeDevice(handle); }
  int deviceIoControl(DriverHandle handle, uint32_t code, void* block, uint32_t blockSize) override {
    const auto* transfer = static_cast<const WD_TRANSFER*>(block);
    if (code == IOCTL_WD_TRANSFER && transfer->cmdTrans == RM_WORD && transfer->dwPort == address) ++reads;
    return inner.deviceIoControl(handle, code, block, blockSize);
  }
};

TEST(CardAccess, CommandWritesCodeAndDoorbellThenPollsAtMost100000Reads) {
  const struct {
    bool wait;
    CommandCompletion completion;
    StatusCode status;
    uint64_t reads;
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
    ReadCountingPort counting(*card.driver, card.session.memoryBase + (reg::kCommand ^ 2u));
    card.session.port = &counting;
    EXPECT_EQ(issueCardCommand(card.session, cmd::kStopCapture, c.wait), c.status);
    EXPECT_EQ(counting.reads, c.reads);
    EXPECT_EQ(registerWritesOf(card),
              (RegisterWrites{{reg::kCommand, cmd::kStopCapture}, {reg::kDoorbell, doorbell::kRunCommand}}));
  }
}

// A request the driver refuses, at any point of an access (alone or with all that follow), gives
// the card's status, and the access hands back nothing: its output keeps the mark it had.
TEST(CardAccess, AFailedRequestGivesTheCardStatusAndLeavesTheOutputAlone) {
  constexpr uint32_t kMark = 0xBEEF;
  const struct {
    const char* name;
    uint64_t requests;
    bool handsBack;
    std::function<StatusCode(CardSession&, uint32_t&)> access;  // sets its output from what it hands back
  } accesses[] = {
      {"word write", 1, false, [](CardSession& s, uint32_t&) { return writeCardWord(s, 0x40, 7); }},
      {"word read", 1, true,
       [](CardSession& s, uint32_t& out) {
         uint16_t value = kMark;
         const StatusCode status = readCardWord(s, reg::kWritePointerHigh, value);
         out = value;
         return status;
       }},
      {"block read", 1, true,
       [](CardSession& s, uint32_t& out) {
         uint16_t block[8] = {kMark};
         const StatusCode status = readCardBlock(s, ring::kStart, 8, block);
         out = block[0];
         return status;
       }},
      {"waited command", 3, false,
       [](CardSession& s, uint32_t&) { return issueCardCommand(s, cmd::kConfigure, true); }},
      {"write pointer", 2, true,
       [](CardSession& s, uint32_t& out) { return readCaptureWritePointer(s, out); }},
      {"time words", 3, true,
       [](CardSession& s, uint32_t& out) {
         uint32_t words[2] = {kMark, kMark};
         bool valid = false;
         const StatusCode status = readCardTime(s, words, valid);
         out = words[0] == kMark || words[1] == kMark ? kMark : words[0];
         return status;
       }},
  };
  for (const auto& a : accesses) {
    for (uint64_t run = 0; run <= 2 * a.requests; ++run) {
      const uint64_t good = run % (a.requests + 1);
      const bool onlyOne = run > a.requests;
      SCOPED_TRACE(::testing::Message() << a.name << " failing after " << good << " requests"
                                        << (onlyOne ? " alone" : ""));
      OpenedSimCard card;
      writeRegister(card.session, reg::kWritePointerHigh, 2);
      card.card().memory[ring::kStart] = 1;
      card.driver->failRequestsAfter(IOCTL_WD_TRANSFER, good, onlyOne);
      uint32_t out = kMark;
      const StatusCode status = a.access(card.session, out);
      if (good < a.requests) {
        EXPECT_EQ(status, StatusCode::CardNotFound);
        EXPECT_EQ(out, kMark);
      } else {
        EXPECT_EQ(status, StatusCode::Success);
        EXPECT_EQ(out != kMark, a.handsBack);
      }
    }
  }
}
