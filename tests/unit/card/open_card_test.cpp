#include <gtest/gtest.h>

#include <functional>

#include "card/open_card.h"
#include "tests/unit/sim/sim_card_fixture.h"

namespace {

constexpr uint32_t kAddrA = 0xE0A00000u;
constexpr uint32_t kAddrB = 0xE0C00000u;

SimPciCard cardWith(std::vector<WD_ITEMS> items) {
  SimPciCard card;
  card.items = std::move(items);
  return card;
}

TEST(OpenCard, AcceptsExactlyOneMemoryRangeAtMostOneInterruptAndNoIoRange) {
  struct Case {
    const char* name;
    std::function<void(SimConfig&)> configure;
    StatusCode status;
    uint32_t memoryItem;     // as left in the session
    uint32_t interruptItem;
    uint32_t memoryBase;
  };
  const WD_ITEMS none = simItemOfKind(ITEM_NONE);
  std::vector<WD_ITEMS> twentyListed(20, none);
  twentyListed[0] = simMemoryItem(kAddrA);
  twentyListed[1] = simInterruptItem();
  std::vector<WD_ITEMS> ioAtLastEntry = twentyListed;
  ioAtLastEntry[19] = simIoItem();

  const Case cases[] = {
      {"default card", [](SimConfig&) {}, StatusCode::Success, 0, 1, kSimMemoryTransAddr},
      {"no driver", [](SimConfig& c) { c.driverInstalled = false; }, StatusCode::CardNotFound, 0, 0, 0},
      {"driver 5.03", [](SimConfig& c) { c.driverVersion = 503; }, StatusCode::Success, 0, 1, kSimMemoryTransAddr},
      {"driver 5.02", [](SimConfig& c) { c.driverVersion = 502; }, StatusCode::CardNotFound, 0, 0, 0},
      {"no card", [](SimConfig& c) { c.cards.clear(); }, StatusCode::CardNotFound, 0, 0, 0},
      {"other device only", [](SimConfig& c) { c.cards[0].id.dwDeviceId = 0x5B1C; }, StatusCode::CardNotFound, 0, 0, 0},
      {"memory without interrupt", [](SimConfig& c) { c.cards = {cardWith({simMemoryItem(kAddrA)})}; },
       StatusCode::Success, 0, kNoItem, kAddrA},
      {"two memory ranges",
       [](SimConfig& c) { c.cards = {cardWith({simMemoryItem(kAddrA), simInterruptItem(), simMemoryItem(kAddrB)})}; },
       StatusCode::CardNotFound, 0, 1, kAddrA},
      {"two interrupts, memory visited after",
       [](SimConfig& c) { c.cards = {cardWith({simInterruptItem(), simInterruptItem(), simMemoryItem(kAddrA)})}; },
       StatusCode::CardNotFound, 2, 0, kAddrA},
      {"I/O range first",
       [](SimConfig& c) { c.cards = {cardWith({simIoItem(), simMemoryItem(kAddrA), simInterruptItem()})}; },
       StatusCode::CardNotFound, 1, 2, kAddrA},
      {"bus and unknown kinds ignored",
       [](SimConfig& c) {
         c.cards = {cardWith({simItemOfKind(ITEM_BUS), simMemoryItem(kAddrA), simItemOfKind(7), simInterruptItem()})};
       },
       StatusCode::Success, 1, 3, kAddrA},
      {"no memory range", [](SimConfig& c) { c.cards = {cardWith({simInterruptItem()})}; }, StatusCode::CardNotFound,
       kNoItem, 0, 0},
      {"memory beyond dwItems not visited",
       [](SimConfig& c) {
         c.cards = {cardWith({simInterruptItem(), simMemoryItem(kAddrA)})};
         c.cards[0].reportedItemCount = 1;
       },
       StatusCode::CardNotFound, kNoItem, 0, 0},
      {"registration refused", [](SimConfig& c) { c.refuseRegistration = true; }, StatusCode::CardNotFound, 0, 1,
       kSimMemoryTransAddr},
      {"dwItems 25: only the 20 entries are read",
       [twentyListed](SimConfig& c) {
         c.cards = {cardWith(twentyListed)};
         c.cards[0].reportedItemCount = 25;
       },
       StatusCode::Success, 0, 1, kAddrA},
      {"dwItems 0xFFFFFFFF: entry 19 still visited",
       [ioAtLastEntry](SimConfig& c) {
         c.cards = {cardWith(ioAtLastEntry)};
         c.cards[0].reportedItemCount = 0xFFFFFFFFu;
       },
       StatusCode::CardNotFound, 0, 1, kAddrA},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimConfig config;
    c.configure(config);
    SimCardFixture fixture(config);
    EXPECT_EQ(fixture.open(), c.status);
    EXPECT_EQ(fixture.session.memoryItem, c.memoryItem);
    EXPECT_EQ(fixture.session.interruptItem, c.interruptItem);
    EXPECT_EQ(fixture.session.memoryBase, c.memoryBase);
    EXPECT_EQ(fixture.driver->cardRegistered(), ok(c.status));
  }
}

TEST(OpenCard, OpensTheFirstOfTwoMatchingCards) {
  SimConfig config;
  SimPciCard first = cardWith({simMemoryItem(kAddrA), simInterruptItem()});
  first.slot = WD_PCI_SLOT{2, 5, 0};
  SimPciCard second = cardWith({simMemoryItem(kAddrB), simInterruptItem()});
  second.slot = WD_PCI_SLOT{3, 1, 1};
  SimPciCard foreign = cardWith({simMemoryItem(kAddrB)});
  foreign.id = WD_PCI_ID{0x10B5, 0x9050};
  foreign.slot = WD_PCI_SLOT{0, 9, 0};
  config.cards = {foreign, first, second};
  SimCardFixture fixture(config);

  ASSERT_EQ(fixture.open(), StatusCode::Success);
  EXPECT_EQ(fixture.session.scan.dwCards, 2u);
  EXPECT_EQ(fixture.session.cardInfo.pciSlot.dwBus, 2u);
  EXPECT_EQ(fixture.session.cardInfo.pciSlot.dwSlot, 5u);
  EXPECT_EQ(fixture.session.cardInfo.pciSlot.dwFunction, 0u);
  EXPECT_EQ(fixture.session.memoryBase, kAddrA);
  EXPECT_EQ(fixture.session.registration.fCheckLockOnly, 0u);
}

TEST(OpenCard, EachFailingDriverRequestIsSurvived) {
  struct Case {
    const char* name;
    uint32_t code;
    StatusCode status;
  };
  const Case cases[] = {
      {"unregister (result ignored)", IOCTL_WD_CARD_UNREGISTER, StatusCode::Success},
      {"version", IOCTL_WD_VERSION, StatusCode::CardNotFound},
      {"scan", IOCTL_WD_PCI_SCAN_CARDS, StatusCode::CardNotFound},
      {"card information", IOCTL_WD_PCI_GET_CARD_INFO, StatusCode::CardNotFound},
      {"register", IOCTL_WD_CARD_REGISTER, StatusCode::CardNotFound},
      {"transfer (not used)", IOCTL_WD_TRANSFER, StatusCode::Success},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimCardFixture fixture;
    fixture.driver->setRequestFailing(c.code, true);
    EXPECT_EQ(fixture.open(), c.status);
    EXPECT_EQ(fixture.driver->cardRegistered(), ok(c.status));
  }
}

TEST(OpenCard, ReopeningReleasesTheEarlierRegistrationAndHandle) {
  SimCardFixture fixture;
  ASSERT_EQ(fixture.open(), StatusCode::Success);
  const DriverHandle first = fixture.session.driverHandle;
  // A card left registered keeps its resources locked: the second registration would be refused.
  ASSERT_EQ(fixture.open(), StatusCode::Success);
  EXPECT_NE(fixture.session.driverHandle, first);
  EXPECT_EQ(fixture.driver->openHandleCount(), 1u);
  EXPECT_TRUE(fixture.driver->cardRegistered());
}

TEST(OpenCard, InvalidHandleWithoutSessionOrPort) {
  EXPECT_EQ(openCard(nullptr), StatusCode::InvalidHandle);
  CardSession noPort;
  EXPECT_EQ(openCard(&noPort), StatusCode::InvalidHandle);
}

TEST(DriverCall, OwnHandleIsOpenedAndClosedAndAnInvalidHandleIssuesNothing) {
  SimCardFixture fixture;
  WD_VERSION version{};
  EXPECT_EQ(driverCall(*fixture.driver, IOCTL_WD_VERSION, 0, &version, sizeof version, 1), 1);
  EXPECT_EQ(version.dwVer, 503u);
  EXPECT_EQ(fixture.driver->openHandleCount(), 0u);

  EXPECT_EQ(driverCall(*fixture.driver, IOCTL_WD_VERSION, kInvalidDriverHandle, &version, sizeof version, 0), -1);
  fixture.driver->config.driverInstalled = false;
  EXPECT_EQ(driverCall(*fixture.driver, IOCTL_WD_VERSION, 0, &version, sizeof version, 1), -1);
  EXPECT_EQ(fixture.driver->requestCount(IOCTL_WD_VERSION), 1u);

  // A handle that was never opened: the request reaches the driver and fails.
  version.dwVer = 77;
  EXPECT_EQ(driverCall(*fixture.driver, IOCTL_WD_VERSION, 0, &version, sizeof version, 0), 0);
  EXPECT_EQ(version.dwVer, 77u);
}

}  // namespace
