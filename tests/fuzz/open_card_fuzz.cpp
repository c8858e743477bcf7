// openCard over any answers the driver may give: the device opens or not with any handle, and
// every request returns 0 or 1 and either leaves its block as it was or has any bytes written
// into it (item kinds kept to the known ones and a few unknown). openCard runs twice on the same
// session, as a reinitialisation does. Checks: each request goes once to the opened handle with
// its own block, the card info asks for the first card's slot and the registration carries that
// card's resource list; the status follows from the blocks alone; on Success the memory base is
// the dwTransAddr the registration left; the earlier opening is released first.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <set>
#include <vector>

#include "card/open_card.h"
#include "tests/fuzz/fuzz_scratch.h"

namespace {

struct ScriptedDriver final : DriverPort {
  explicit ScriptedDriver(FuzzedDataProvider& input) : in(input) {}

  FuzzedDataProvider& in;
  DriverHandle opened = kInvalidDriverHandle;
  std::vector<DriverHandle> closed;
  std::set<uint32_t> asked;
  // The blocks as the driver left them.
  WD_VERSION version{};
  WD_PCI_SCAN_CARDS scan{};
  WD_PCI_CARD_INFO info{};
  WD_CARD_REGISTER registration{};

  DriverHandle openDevice() override {
    opened = in.ConsumeBool() ? kInvalidDriverHandle : in.ConsumeIntegral<DriverHandle>();
    return opened;
  }
  void closeDevice(DriverHandle handle) override { closed.push_back(handle); }

  template <typename Block>
  void answer(void* block, uint32_t blockSize, Block& seen) {
    FUZZ_CHECK(blockSize == sizeof(Block));
    Block& given = *static_cast<Block*>(block);
    if (in.ConsumeBool()) in.ConsumeData(&given, sizeof given);
    seen = given;
  }

  int deviceIoControl(DriverHandle handle, uint32_t code, void* block, uint32_t blockSize) override {
    const int result = in.ConsumeBool() ? 1 : 0;
    if (code == IOCTL_WD_CARD_UNREGISTER) {
      FUZZ_CHECK(blockSize == sizeof(WD_CARD_REGISTER));
      return result;
    }
    FUZZ_CHECK(handle == opened && asked.insert(code).second);
    if (code == IOCTL_WD_VERSION) {
      answer(block, blockSize, version);
    } else if (code == IOCTL_WD_PCI_SCAN_CARDS) {
      answer(block, blockSize, scan);
    } else if (code == IOCTL_WD_PCI_GET_CARD_INFO) {
      const WD_PCI_SLOT& slot = static_cast<WD_PCI_CARD_INFO*>(block)->pciSlot;
      FUZZ_CHECK(std::memcmp(&slot, &scan.cardSlot[0], sizeof slot) == 0);
      answer(block, blockSize, info);
      for (WD_ITEMS& item : info.Card.Item) item.item &= 7;
      static_cast<WD_PCI_CARD_INFO*>(block)->Card = info.Card;
    } else if (code == IOCTL_WD_CARD_REGISTER) {
      const WD_CARD_REGISTER& given = *static_cast<WD_CARD_REGISTER*>(block);
      FUZZ_CHECK(given.fCheckLockOnly == 0 && std::memcmp(&given.Card, &info.Card, sizeof info.Card) == 0);
      answer(block, blockSize, registration);
    } else {
      fuzz::fail("openCard issues no other request", __FILE__, __LINE__);
    }
    return result;
  }
};

// What openCard must answer, from the blocks the driver left alone.
void checkOpening(const ScriptedDriver& driver, const CardSession& session, StatusCode status) {
  FUZZ_CHECK(session.driverHandle == driver.opened);
  bool accepted = driver.opened != kInvalidDriverHandle;
  FUZZ_CHECK(driver.asked.count(IOCTL_WD_VERSION) == accepted);
  accepted = accepted && driver.version.dwVer >= kMinimumDriverVersion;
  FUZZ_CHECK(driver.asked.count(IOCTL_WD_PCI_SCAN_CARDS) == accepted);
  accepted = accepted && driver.scan.dwCards != 0;
  FUZZ_CHECK(driver.asked.count(IOCTL_WD_PCI_GET_CARD_INFO) == accepted);
  uint32_t memoryItem = kNoItem;
  int memories = 0, interrupts = 0, ioRanges = 0;
  for (uint32_t i = 0; accepted && i < driver.info.Card.dwItems && i < 20; ++i) {
    const uint32_t kind = driver.info.Card.Item[i].item;
    if (kind == ITEM_MEMORY && memories++ == 0) memoryItem = i;
    interrupts += kind == ITEM_INTERRUPT;
    ioRanges += kind == ITEM_IO;
  }
  accepted = accepted && memories == 1 && interrupts <= 1 && ioRanges == 0;
  FUZZ_CHECK(driver.asked.count(IOCTL_WD_CARD_REGISTER) == accepted);
  accepted = accepted && driver.registration.hCard != 0;
  FUZZ_CHECK(status == (accepted ? StatusCode::Success : StatusCode::CardNotFound));
  if (accepted) FUZZ_CHECK(session.memoryBase == driver.registration.Card.Item[memoryItem].Mem.dwTransAddr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  CardSession session;
  for (int opening = 0; opening < 2; ++opening) {
    ScriptedDriver driver(input);
    session.port = &driver;
    const DriverHandle earlier = session.driverHandle;
    const StatusCode status = openCard(&session);
    FUZZ_CHECK(!driver.closed.empty() && driver.closed.front() == earlier);
    checkOpening(driver, session, status);
  }
  return 0;
}
