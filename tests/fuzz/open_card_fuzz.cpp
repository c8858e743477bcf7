// openCard over any answers the driver may give. A scripted driver takes every answer from the
// input: whether the device opens and its handle, whether each request is answered (an
// unanswered one leaves its block as it was) and with what: any version, any number of cards and
// card slots, any resource list with any dwItems, any hCard, and new transfer addresses written
// back by the registration. openCard runs twice on the same session, as a reinitialisation does.
//
// Checks: the status is 0, 3 or 4 and follows from the answers (the device opens, version 503 or
// later, at least one card, among the first min(dwItems, 20) items exactly one memory range, at
// most one interrupt and no I/O range, a non-zero hCard); on 0 the memory base is the dwTransAddr
// of that memory item as the registration left it; every request goes to the opened handle with
// its own block and size, the card info asks for the first card's slot and the registration
// carries that card's resource list.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <vector>

#include "card/open_card.h"
#include "tests/fuzz/fuzz_scratch.h"

namespace {

// The answers of one opening as the blocks held them once the driver was done with them.
struct Seen {
  bool versionAsked = false, scanAsked = false, infoAsked = false, registerAsked = false;
  uint32_t dwVer = 0;
  uint32_t dwCards = 0;
  WD_PCI_SLOT firstSlot{};
  WD_CARD card{};  // the resource list given by the card info request
  WD_CARD registered{};
  uint32_t hCard = 0;
};

struct ScriptedDriver final : DriverPort {
  explicit ScriptedDriver(FuzzedDataProvider& input) : in(input) {}

  FuzzedDataProvider& in;
  DriverHandle opened = kInvalidDriverHandle;
  std::vector<DriverHandle> closed;
  Seen seen;

  DriverHandle openDevice() override {
    const int choice = in.ConsumeIntegralInRange<int>(0, 3);
    opened = choice == 0 ? kInvalidDriverHandle : choice == 1 ? 0 : in.ConsumeIntegral<DriverHandle>();
    return opened;
  }
  void closeDevice(DriverHandle handle) override { closed.push_back(handle); }

  // Counts around the edges that matter (none, a few, more than a block holds) or any.
  uint32_t anyCount() {
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
      case 0: return 0;
      case 1: return in.ConsumeIntegralInRange<uint32_t>(1, 3);
      case 2: return in.ConsumeIntegralInRange<uint32_t>(4, 40);
      default: return in.ConsumeIntegral<uint32_t>();
    }
  }
  void fillBytes(void* into, size_t size) {
    const std::vector<uint8_t> bytes = in.ConsumeBytes<uint8_t>(size);
    if (!bytes.empty()) std::memcpy(into, bytes.data(), bytes.size());
  }
  void answerVersion(WD_VERSION& version) {
    const int choice = in.ConsumeIntegralInRange<int>(0, 3);
    version.dwVer = choice < 2 ? kMinimumDriverVersion - 1 + choice : in.ConsumeIntegral<uint32_t>();
    fillBytes(version.cVer, sizeof version.cVer);
  }
  void answerItems(WD_CARD& card) {
    static const DWORD32 kinds[] = {ITEM_NONE, ITEM_INTERRUPT, ITEM_MEMORY, ITEM_IO, ITEM_BUS};
    card.dwItems = anyCount();
    for (WD_ITEMS& item : card.Item) {
      const int kind = in.ConsumeIntegralInRange<int>(0, 5);
      fillBytes(&item, sizeof item);
      item.item = kind < 5 ? kinds[kind] : item.item;
      if (in.remaining_bytes() == 0) break;
    }
  }

  int deviceIoControl(DriverHandle handle, uint32_t code, void* block, uint32_t blockSize) override {
    const bool answered = in.ConsumeBool();
    const int result = in.ConsumeBool() ? 1 : 0;
    switch (code) {
      case IOCTL_WD_CARD_UNREGISTER:
        FUZZ_CHECK(blockSize == sizeof(WD_CARD_REGISTER));
        break;
      case IOCTL_WD_VERSION: {
        FUZZ_CHECK(handle == opened && blockSize == sizeof(WD_VERSION));
        WD_VERSION& version = *static_cast<WD_VERSION*>(block);
        if (answered) answerVersion(version);
        seen.versionAsked = true;
        seen.dwVer = version.dwVer;
        break;
      }
      case IOCTL_WD_PCI_SCAN_CARDS: {
        FUZZ_CHECK(handle == opened && blockSize == sizeof(WD_PCI_SCAN_CARDS));
        WD_PCI_SCAN_CARDS& scan = *static_cast<WD_PCI_SCAN_CARDS*>(block);
        FUZZ_CHECK(scan.searchId.dwVendorId == kKolvaVendorId && scan.searchId.dwDeviceId == kKolvaDeviceId);
        if (answered) {
          scan.dwCards = anyCount();
          fillBytes(scan.cardId, sizeof scan.cardId);
          fillBytes(scan.cardSlot, sizeof scan.cardSlot);
        }
        seen.scanAsked = true;
        seen.dwCards = scan.dwCards;
        seen.firstSlot = scan.cardSlot[0];
        break;
      }
      case IOCTL_WD_PCI_GET_CARD_INFO: {
        FUZZ_CHECK(handle == opened && blockSize == sizeof(WD_PCI_CARD_INFO));
        WD_PCI_CARD_INFO& info = *static_cast<WD_PCI_CARD_INFO*>(block);
        FUZZ_CHECK(std::memcmp(&info.pciSlot, &seen.firstSlot, sizeof info.pciSlot) == 0);
        if (answered) answerItems(info.Card);
        seen.infoAsked = true;
        seen.card = info.Card;
        break;
      }
      case IOCTL_WD_CARD_REGISTER: {
        FUZZ_CHECK(handle == opened && blockSize == sizeof(WD_CARD_REGISTER));
        WD_CARD_REGISTER& registration = *static_cast<WD_CARD_REGISTER*>(block);
        FUZZ_CHECK(std::memcmp(&registration.Card, &seen.card, sizeof seen.card) == 0);
        FUZZ_CHECK(registration.fCheckLockOnly == 0);
        if (answered) {
          registration.hCard = in.ConsumeBool() ? 0 : in.ConsumeIntegral<uint32_t>();
          // A driver fills in the transfer addresses of the ranges it maps.
          if (in.ConsumeBool()) {
            for (WD_ITEMS& item : registration.Card.Item) item.Mem.dwTransAddr = in.ConsumeIntegral<uint32_t>();
          }
        }
        seen.registerAsked = true;
        seen.registered = registration.Card;
        seen.hCard = registration.hCard;
        break;
      }
      default:
        fuzz::fail("openCard issues no other request", __FILE__, __LINE__);
    }
    return result;
  }
};

// What openCard must answer, from the driver's answers alone.
void checkOpening(const ScriptedDriver& driver, const CardSession& session, StatusCode status) {
  FUZZ_CHECK(status == StatusCode::Success || status == StatusCode::CardNotFound);
  const Seen& seen = driver.seen;
  FUZZ_CHECK(session.driverHandle == driver.opened);

  bool accepted = driver.opened != kInvalidDriverHandle;
  FUZZ_CHECK(seen.versionAsked == accepted);
  accepted = accepted && seen.dwVer >= kMinimumDriverVersion;
  FUZZ_CHECK(seen.scanAsked == accepted);
  accepted = accepted && seen.dwCards != 0;
  FUZZ_CHECK(seen.infoAsked == accepted);

  uint32_t memoryItem = kNoItem;
  int memories = 0, interrupts = 0, ioRanges = 0;
  if (accepted) {
    const uint32_t listed = seen.card.dwItems < 20 ? seen.card.dwItems : 20;
    for (uint32_t i = 0; i < listed; ++i) {
      const uint32_t kind = seen.card.Item[i].item;
      if (kind == ITEM_MEMORY && memories++ == 0) memoryItem = i;
      if (kind == ITEM_INTERRUPT) ++interrupts;
      if (kind == ITEM_IO) ++ioRanges;
    }
  }
  accepted = accepted && memories == 1 && interrupts <= 1 && ioRanges == 0;
  FUZZ_CHECK(seen.registerAsked == accepted);
  accepted = accepted && seen.hCard != 0;
  FUZZ_CHECK((status == StatusCode::Success) == accepted);
  if (accepted) FUZZ_CHECK(session.memoryBase == seen.registered.Item[memoryItem].Mem.dwTransAddr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CardSession session;
  FuzzedDataProvider input(data, size);
  ScriptedDriver driver(input);
  session.port = &driver;
  for (int opening = 0; opening < 2; ++opening) {
    const DriverHandle earlier = session.driverHandle;
    driver.seen = Seen{};
    driver.closed.clear();
    const StatusCode status = openCard(&session);
    // The earlier opening is released first.
    FUZZ_CHECK(!driver.closed.empty() && driver.closed.front() == earlier);
    checkOpening(driver, session, status);
  }
  return 0;
}
