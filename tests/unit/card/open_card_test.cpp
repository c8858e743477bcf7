#include "card/open_card.h"

#include <gtest/gtest.h>

#include <optional>

#include "tests/support/sim_card_fixture.h"

namespace {

constexpr uint32_t kAddrA = 0xE0A00000u;
constexpr uint32_t kAddrB = 0xE0C00000u;

SimPciCard cardWith(std::vector<WD_ITEMS> items, std::optional<DWORD32> reportedItemCount = std::nullopt) {
  SimPciCard card;
  card.items = std::move(items);
  card.reportedItemCount = reportedItemCount;
  return card;
}

WD_ITEMS itemOfKind(uint32_t kind) {
  WD_ITEMS item{};
  item.item = kind;
  return item;
}

}  // namespace

// The driver from version 5.03 and a KOLVA card whose resources are exactly one memory range,
// at most one interrupt and no I/O range. Every listed item is visited, up to the block's 20
// entries whatever dwItems says. Each failing driver request is survived.
TEST(OpenCard, NeedsTheDriverACardAndItsResources) {
  const StatusCode kOk = StatusCode::Success, kNotFound = StatusCode::CardNotFound;
  const SimPciCard kolva = kolvaPciCard();
  SimPciCard other = kolva;
  other.id.dwDeviceId = 0x5B1C;
  const WD_ITEMS memA = simMemoryItem(kAddrA), irq = simInterruptItem(), io = itemOfKind(ITEM_IO);
  std::vector<WD_ITEMS> twenty(20, itemOfKind(ITEM_NONE));
  twenty[0] = memA;
  twenty[1] = irq;
  std::vector<WD_ITEMS> ioAtEntry19 = twenty;
  ioAtEntry19[19] = io;
  const uint32_t kSim = kSimMemoryTransAddr;
  const struct {
    const char* name;
    SimPciCard card;
    uint32_t driverVersion;  // 0: no driver installed
    uint32_t failingRequest;
    StatusCode status;
    uint32_t memoryItem, interruptItem, memoryBase;  // as left in the session, also after a refusal
  } cases[] = {
      {"driver 5.03", kolva, 503, 0, kOk, 0, 1, kSim},
      {"driver 5.02", kolva, 502, 0, kNotFound, 0, 0, 0},
      {"no driver", kolva, 0, 0, kNotFound, 0, 0, 0},
      {"other device only", other, 503, 0, kNotFound, 0, 0, 0},
      {"unregister fails (ignored)", kolva, 503, IOCTL_WD_CARD_UNREGISTER, kOk, 0, 1, kSim},
      {"version fails", kolva, 503, IOCTL_WD_VERSION, kNotFound, 0, 0, 0},
      {"scan fails", kolva, 503, IOCTL_WD_PCI_SCAN_CARDS, kNotFound, 0, 0, 0},
      {"card information fails", kolva, 503, IOCTL_WD_PCI_GET_CARD_INFO, kNotFound, kNoItem, kNoItem, 0},
      {"register fails", kolva, 503, IOCTL_WD_CARD_REGISTER, kNotFound, 0, 1, kSim},
      {"transfer fails (not used)", kolva, 503, IOCTL_WD_TRANSFER, kOk, 0, 1, kSim},
      {"memory without interrupt", cardWith({memA}), 503, 0, kOk, 0, kNoItem, kAddrA},
      {"two memory ranges", cardWith({memA, irq, simMemoryItem(kAddrB)}), 503, 0, kNotFound, 0, 1, kAddrA},
      {"two interrupts, memory after", cardWith({irq, irq, memA}), 503, 0, kNotFound, 2, 0, kAddrA},
      {"I/O range first", cardWith({io, memA, irq}), 503, 0, kNotFound, 1, 2, kAddrA},
      {"bus and unknown kinds", cardWith({itemOfKind(ITEM_BUS), memA, itemOfKind(7), irq}), 503, 0, kOk, 1, 3, kAddrA},
      {"no memory range", cardWith({irq}), 503, 0, kNotFound, kNoItem, 0, 0},
      {"memory beyond dwItems", cardWith({irq, memA}, 1), 503, 0, kNotFound, kNoItem, 0, 0},
      {"dwItems 25: 20 entries read", cardWith(twenty, 25), 503, 0, kOk, 0, 1, kAddrA},
      {"dwItems 0xFFFFFFFF: entry 19 visited", cardWith(ioAtEntry19, 0xFFFFFFFFu), 503, 0, kNotFound, 0, 1, kAddrA},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimConfig config;
    config.cards = {c.card};
    config.driverVersion = c.driverVersion;
    config.driverInstalled = c.driverVersion != 0;
    SimCardFixture fixture(config);
    if (c.failingRequest) fixture.driver->setRequestFailing(c.failingRequest, true);
    EXPECT_EQ(fixture.open(), c.status);
    EXPECT_EQ(fixture.session.memoryItem, c.memoryItem);
    EXPECT_EQ(fixture.session.interruptItem, c.interruptItem);
    EXPECT_EQ(fixture.session.memoryBase, c.memoryBase);
    EXPECT_EQ(fixture.driver->cardRegistered(), ok(c.status));
  }
}

TEST(OpenCard, ReopeningReleasesTheEarlierRegistrationAndHandle) {
  SimCardFixture fixture;
  ASSERT_EQ(fixture.open(), StatusCode::Success);
  const DriverHandle first = fixture.session.driverHandle;
  // A card left registered stays locked: a second registration would be refused.
  ASSERT_EQ(fixture.open(), StatusCode::Success);
  EXPECT_NE(fixture.session.driverHandle, first);
  EXPECT_EQ(fixture.driver->openHandleCount(), 1u);
  EXPECT_TRUE(fixture.driver->cardRegistered());
  EXPECT_EQ(openCard(nullptr), StatusCode::InvalidHandle);
  CardSession noPort;
  EXPECT_EQ(openCard(&noPort), StatusCode::InvalidHandle);
}
