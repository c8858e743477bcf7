#include <gtest/gtest.h>

#include <cstring>

#include "card/card_access.h"
#include "card/card_registers.h"
#include "card/recorder_setup.h"
#include "tests/unit/sim/sim_card_fixture.h"

namespace {

bool sameBlock(const WD_TRANSFER& a, const WD_TRANSFER& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(SimDriverTransfer, AccessesOutsideTheCardMemoryFailAndLeaveTheBlockAlone) {
  struct Case {
    uint32_t cmdTrans;
    int64_t offset;  // from the memory's transfer address
    uint32_t bytes;  // block reads
    bool succeeds;
  };
  const Case cases[] = {
      {RM_WORD, 0x9FFFE, 0, true},    {RM_WORD, 0x9FFFF, 0, false},   {RM_WORD, 0xA0000, 0, false},
      {RM_WORD, -2, 0, false},        {WM_WORD, 0x9FFFE, 0, true},    {WM_WORD, 0xA0000, 0, false},
      {RM_DWORD, 0x9FFFC, 0, true},   {RM_DWORD, 0x9FFFE, 0, false},  {RM_SWORD, 0x9FFF0, 16, true},
      {RM_SWORD, 0x9FFF0, 18, false}, {RM_SWORD, 0x20000, 3, false},  {RM_SWORD, 0, 0xA0000, true},
      {40 /* RM_SBYTE: not offered */, 0x20000, 16, false},
  };
  SimCardFixture fixture;
  ASSERT_EQ(fixture.open(), StatusCode::Success);
  static unsigned char buffer[0xA0000];
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.cmdTrans << " at " << c.offset);
    WD_TRANSFER block{};
    block.cmdTrans = c.cmdTrans;
    block.dwPort = static_cast<uint32_t>(kSimMemoryTransAddr + c.offset);
    block.dwBytes = c.bytes;
    block.fAutoinc = 1;
    block.Data.pBuffer = buffer;
    if (c.cmdTrans == WM_WORD) block.Data.Word = 0x1234;
    const WD_TRANSFER before = block;
    const int result = fixture.driver->deviceIoControl(fixture.session.driverHandle, IOCTL_WD_TRANSFER, &block,
                                                       sizeof block);
    EXPECT_EQ(result != 0, c.succeeds);
    if (!c.succeeds) {
      EXPECT_TRUE(sameBlock(block, before));
    }
  }
}

TEST(SimDriverTransfer, NeedsARegisteredCardAnOpenHandleAndNoInjectedFailure) {
  SimCardFixture fixture;
  ASSERT_EQ(fixture.open(), StatusCode::Success);
  WD_TRANSFER block{};
  block.cmdTrans = RM_WORD;
  block.dwPort = kSimMemoryTransAddr + 6;
  block.Data.Dword = 0xDEADBEEF;
  const WD_TRANSFER before = block;
  SimDriver& driver = *fixture.driver;

  driver.setRequestFailing(IOCTL_WD_TRANSFER, true);
  EXPECT_EQ(driver.deviceIoControl(fixture.session.driverHandle, IOCTL_WD_TRANSFER, &block, sizeof block), 0);
  EXPECT_TRUE(sameBlock(block, before));
  driver.setRequestFailing(IOCTL_WD_TRANSFER, false);

  EXPECT_EQ(driver.deviceIoControl(fixture.session.driverHandle + 4, IOCTL_WD_TRANSFER, &block, sizeof block), 0);
  EXPECT_EQ(driver.deviceIoControl(fixture.session.driverHandle, IOCTL_WD_TRANSFER, &block, sizeof block - 4), 0);
  EXPECT_TRUE(sameBlock(block, before));

  EXPECT_EQ(driver.deviceIoControl(fixture.session.driverHandle, IOCTL_WD_TRANSFER, &block, sizeof block), 1);
  EXPECT_EQ(block.Data.Word, 0u);

  driver.deviceIoControl(fixture.session.driverHandle, IOCTL_WD_CARD_UNREGISTER, &fixture.session.registration,
                         sizeof fixture.session.registration);
  EXPECT_FALSE(driver.cardRegistered());
  block = before;
  EXPECT_EQ(driver.deviceIoControl(fixture.session.driverHandle, IOCTL_WD_TRANSFER, &block, sizeof block), 0);
  EXPECT_TRUE(sameBlock(block, before));
}

TEST(DemoSimDriver, FindsTheCardAndShowsTheLocalTimeAsIrigB) {
  LocalTime local = makeLocalTime(2026, 12, 5, 22, 7, 59);
  std::unique_ptr<SimDriver> driver = makeDemoSimDriver([&local] { return local; });
  CardSession session;
  session.port = driver.get();
  ASSERT_EQ(openCard(&session), StatusCode::Success);
  int16_t irigInput = 0;
  reinitialiseRecorder(session, true, irigInput, local);
  uint32_t words[2];
  EXPECT_EQ(readCardTime(session, words), 1);
  // The host clock may have passed a second boundary since the card locked on.
  const uint32_t lockedOn = (3u << 28) | (39u << 21) | (22u << 16) | (7u << 6) | 59u;
  EXPECT_GE(words[0], lockedOn);
  EXPECT_LE(words[0], lockedOn + 2);
  EXPECT_TRUE(driver->writeLog().empty());
  EXPECT_FALSE(driver->card.capturing);
}

}  // namespace
