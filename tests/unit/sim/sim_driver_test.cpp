#include "sim/sim_driver.h"

#include <gtest/gtest.h>

#include <cstring>

#include "card/card_access.h"
#include "tests/support/sim_card_fixture.h"

namespace {

enum Refusal { kNone, kInjectedFailure, kHandleNotOpen, kShortBlock, kCardUnregistered };

// Transfers reach the card memory only, whole, through an open handle to a registered card, and
// leave the block alone when refused.
TEST(SimDriverTransfer, AccessesOutsideTheCardMemoryOrRefusedFailAndLeaveTheBlockAlone) {
  const struct {
    uint32_t cmdTrans;
    int64_t offset;  // from the memory's transfer address
    uint32_t bytes;  // block reads
    Refusal refusal;
    bool succeeds;
  } cases[] = {
      {RM_WORD, 0x9FFFE, 0, kNone, true},       {RM_WORD, 0x9FFFF, 0, kNone, false},
      {RM_WORD, -2, 0, kNone, false},           {WM_WORD, 0x9FFFE, 0, kNone, true},
      {WM_WORD, 0xA0000, 0, kNone, false},      {RM_DWORD, 0x9FFFC, 0, kNone, true},
      {RM_DWORD, 0x9FFFE, 0, kNone, false},     {RM_SWORD, 0x9FFF0, 16, kNone, true},
      {RM_SWORD, 0x9FFF0, 18, kNone, false},    {RM_SWORD, 0x20000, 3, kNone, false},
      {RM_SWORD, 0, 0xA0000, kNone, true},      {40 /* RM_SBYTE: not offered */, 0, 16, kNone, false},
      {RM_WORD, 6, 0, kInjectedFailure, false}, {RM_WORD, 6, 0, kHandleNotOpen, false},
      {RM_WORD, 6, 0, kShortBlock, false},      {RM_WORD, 6, 0, kCardUnregistered, false},
  };
  static unsigned char buffer[0xA0000];
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.cmdTrans << " at " << c.offset << ", refusal " << c.refusal);
    OpenedSimCard fixture;
    SimDriver& driver = *fixture.driver;
    if (c.refusal == kInjectedFailure) driver.setRequestFailing(IOCTL_WD_TRANSFER, true);
    if (c.refusal == kCardUnregistered) {
      driver.deviceIoControl(fixture.session.driverHandle, IOCTL_WD_CARD_UNREGISTER, &fixture.session.registration,
                             sizeof fixture.session.registration);
    }
    WD_TRANSFER block{};
    block.cmdTrans = c.cmdTrans;
    block.dwPort = static_cast<uint32_t>(kSimMemoryTransAddr + c.offset);
    block.dwBytes = c.bytes;
    block.fAutoinc = 1;
    block.Data.pBuffer = buffer;
    const WD_TRANSFER before = block;
    EXPECT_EQ(driver.deviceIoControl(fixture.session.driverHandle + (c.refusal == kHandleNotOpen ? 4 : 0),
                                     IOCTL_WD_TRANSFER, &block, sizeof block - (c.refusal == kShortBlock ? 4 : 0)),
              c.succeeds ? 1 : 0);
    EXPECT_TRUE(c.succeeds || std::memcmp(&block, &before, sizeof block) == 0);
  }
}

}  // namespace
