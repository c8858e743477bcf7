#include "card/open_card.h"

#include <gtest/gtest.h>

#include "tests/support/sim_card_fixture.h"

namespace {

constexpr uint32_t kAddrA = 0xE0A00000u;

SimPciCard cardWith(std::vector<WD_ITEMS> items) {
  SimPciCard card;
  card.items = std::move(items);
  return card;
}

WD_ITEMS itemOfKind(uint32_t kind) {
  WD_ITEMS item{};
  item.item = kind;
  return item;
}

}  // namespace

// The driver from version 5.03 and a KOLVA card whose resources are exactly one memory range,
// at most one interrupt and no I/O range, as the simulated driver gives them. (Any answers the
// driver may give, and how many items are read, are the open_card fuzz target's.)
TEST(OpenCard, NeedsTheDriverACardAndItsResources) {
  const StatusCode kOk = StatusCode::Success, kNotFound = StatusCode::CardNotFound;
  const SimPciCard kolva = kolvaPciCard();
  SimPciCard other = kolva;
  other.id.dwDeviceId = 0x5B1C;
  const WD_ITEMS memA = simMemoryItem(kAddrA), irq = simInterruptItem(), io = itemOfKind(ITEM_IO);
  const uint32_t kSim = kSimMemoryTransAddr;
  const struct {
    const char* name;
    SimPciCard card;
    uint32_t driverVersion;  // 0: no driver installed
    uint32_t failingRequest;
    StatusCode status;
    uint32_t memoryBase;  // as left in the session, also after a refusal
  } cases[] = {
      {"driver 5.03", kolva, 503, 0, kOk, kSim},
      {"driver 5.02", kolva, 502, 0, kNotFound, 0},
      {"no driver", kolva, 0, 0, kNotFound, 0},
      {"other device only", other, 503, 0, kNotFound, 0},
      {"card information fails", kolva, 503, IOCTL_WD_PCI_GET_CARD_INFO, kNotFound, 0},
      {"register fails", kolva, 503, IOCTL_WD_CARD_REGISTER, kNotFound, kSim},
      {"memory without interrupt", cardWith({memA}), 503, 0, kOk, kAddrA},
      {"I/O range first", cardWith({io, memA, irq}), 503, 0, kNotFound, kAddrA},
      {"bus and unknown kinds", cardWith({itemOfKind(ITEM_BUS), memA, itemOfKind(7), irq}), 503, 0, kOk, kAddrA},
      {"no memory range", cardWith({irq}), 503, 0, kNotFound, 0},
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
}
