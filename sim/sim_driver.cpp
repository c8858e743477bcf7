#include "sim/sim_driver.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/little_endian.h"

namespace {

uint32_t listedItems(const WD_CARD& card) {
  return std::min(card.dwItems, static_cast<DWORD32>(WD_CARD_ITEMS));
}

bool sameSlot(const WD_PCI_SLOT& a, const WD_PCI_SLOT& b) {
  return a.dwBus == b.dwBus && a.dwSlot == b.dwSlot && a.dwFunction == b.dwFunction;
}

bool matches(uint32_t wanted, uint32_t actual) { return wanted == 0 || wanted == actual; }

}  // namespace

WD_ITEMS simMemoryItem(uint32_t transAddr) {
  WD_ITEMS item{};
  item.item = ITEM_MEMORY;
  item.fNotSharable = 1;
  item.Mem.dwPhysicalAddr = kSimMemoryPhysicalAddr;
  item.Mem.dwBytes = reg::kMemoryBytes;
  item.Mem.dwTransAddr = transAddr;
  return item;
}

WD_ITEMS simInterruptItem(uint32_t irq) {
  WD_ITEMS item{};
  item.item = ITEM_INTERRUPT;
  item.Mem.dwPhysicalAddr = irq;  // the interrupt form keeps its number in the first word
  return item;
}

SimPciCard kolvaPciCard() {
  SimPciCard card;
  card.items = {simMemoryItem(), simInterruptItem()};
  return card;
}

SimDriver::SimDriver(const SimConfig& simConfig, SteadyClock& clock, std::function<LocalTime()> localTime)
    : config(simConfig) {
  initKolvaCard(card, config.card, clock, std::move(localTime));
}

DriverHandle SimDriver::openDevice() {
  if (!config.driverInstalled) return kInvalidDriverHandle;
  const DriverHandle handle = nextHandle;
  nextHandle += 4;
  openHandles.push_back(handle);
  return handle;
}

void SimDriver::closeDevice(DriverHandle handle) {
  const auto found = std::find(openHandles.begin(), openHandles.end(), handle);
  if (found != openHandles.end()) openHandles.erase(found);
}

void SimDriver::setRequestFailing(uint32_t code, bool failing) {
  if (failing) {
    injectedFailures[code] = InjectedFailure{};
  } else {
    injectedFailures.erase(code);
  }
}

void SimDriver::failRequestsAfter(uint32_t code, uint64_t successes, bool onlyOne) {
  injectedFailures[code] = InjectedFailure{successes, onlyOne};
}

uint64_t SimDriver::requestCount(uint32_t code) const {
  const auto found = requestCounts.find(code);
  return found == requestCounts.end() ? 0 : found->second;
}

uint16_t SimDriver::memoryWord(uint32_t address) const { return getLe16(&card.memory[address]); }

namespace {

int answerVersion(const SimDriver& driver, WD_VERSION& block) {
  block.dwVer = driver.config.driverVersion;
  std::snprintf(block.cVer, sizeof block.cVer, "WinDriver V%u.%02u (simulated)", driver.config.driverVersion / 100,
                driver.config.driverVersion % 100);
  return 1;
}

int answerScan(const SimDriver& driver, WD_PCI_SCAN_CARDS& block) {
  WD_PCI_SCAN_CARDS answer{};
  answer.searchId = block.searchId;
  for (const SimPciCard& card : driver.config.cards) {
    if (answer.dwCards >= static_cast<DWORD32>(WD_PCI_CARDS)) break;
    if (!matches(block.searchId.dwVendorId, card.id.dwVendorId) || !matches(block.searchId.dwDeviceId, card.id.dwDeviceId)) {
      continue;
    }
    answer.cardId[answer.dwCards] = card.id;
    answer.cardSlot[answer.dwCards] = card.slot;
    ++answer.dwCards;
  }
  block = answer;
  return 1;
}

int answerCardInfo(const SimDriver& driver, WD_PCI_CARD_INFO& block) {
  for (const SimPciCard& card : driver.config.cards) {
    if (!sameSlot(card.slot, block.pciSlot)) continue;
    WD_CARD answer{};
    const size_t listed = std::min(card.items.size(), static_cast<size_t>(WD_CARD_ITEMS));
    for (size_t i = 0; i < listed; ++i) answer.Item[i] = card.items[i];
    answer.dwItems = card.reportedItemCount ? *card.reportedItemCount : static_cast<DWORD32>(card.items.size());
    block.Card = answer;
    return 1;
  }
  return 0;
}

int answerRegister(SimDriver& driver, WD_CARD_REGISTER& block) {
  // A registered card's resources stay locked until it is unregistered.
  if (driver.config.refuseRegistration || driver.registeredCard != 0) {
    block.hCard = 0;
    return 1;
  }
  driver.windowOpen = false;
  for (uint32_t i = 0; i < listedItems(block.Card); ++i) {
    if (block.Card.Item[i].item == ITEM_MEMORY) {
      driver.windowOpen = true;
      driver.windowBase = block.Card.Item[i].Mem.dwTransAddr;
      break;
    }
  }
  driver.registeredCard = driver.nextCardHandle++;
  block.hCard = driver.registeredCard;
  return 1;
}

int answerUnregister(SimDriver& driver, const WD_CARD_REGISTER& block) {
  if (driver.registeredCard == 0 || block.hCard != driver.registeredCard) return 0;
  driver.registeredCard = 0;
  driver.windowOpen = false;
  return 1;
}

bool fits(uint64_t address, uint64_t bytes) { return address + bytes <= reg::kMemoryBytes; }

int answerTransfer(SimDriver& driver, WD_TRANSFER& block) {
  if (driver.registeredCard == 0 || !driver.windowOpen || block.dwPort < driver.windowBase) return 0;
  const uint32_t address = block.dwPort - driver.windowBase;
  switch (block.cmdTrans) {
    case RM_WORD:
      if (!fits(address, 2)) return 0;
      block.Data.Word = kolvaReadWord(driver.card, address);
      return 1;
    case WM_WORD:
      if (!fits(address, 2)) return 0;
      kolvaWriteWord(driver.card, address, block.Data.Word);
      return 1;
    case RM_DWORD:
      if (!fits(address, 4)) return 0;
      block.Data.Dword = kolvaReadLongword(driver.card, address);
      return 1;
    case RM_SWORD: {
      const bool autoincrement = block.fAutoinc != 0;
      if (block.dwBytes % 2 != 0 || block.Data.pBuffer == nullptr) return 0;
      if (!fits(address, autoincrement ? block.dwBytes : 2)) return 0;
      kolvaReadBlock(driver.card, address, block.dwBytes, autoincrement, block.Data.pBuffer);
      return 1;
    }
    default:
      return 0;
  }
}

template <typename Block>
Block* blockOf(void* block, uint32_t blockSize) {
  return block != nullptr && blockSize == sizeof(Block) ? static_cast<Block*>(block) : nullptr;
}

}  // namespace

int SimDriver::deviceIoControl(DriverHandle handle, uint32_t code, void* block, uint32_t blockSize) {
  ++requestCounts[code];
  if (std::find(openHandles.begin(), openHandles.end(), handle) == openHandles.end()) return 0;
  const auto injected = injectedFailures.find(code);
  if (injected != injectedFailures.end()) {
    if (injected->second.successesBefore == 0) {
      if (injected->second.onlyOne) injectedFailures.erase(injected);
      return 0;
    }
    --injected->second.successesBefore;
  }
  switch (code) {
    case IOCTL_WD_VERSION: {
      WD_VERSION* version = blockOf<WD_VERSION>(block, blockSize);
      return version != nullptr ? answerVersion(*this, *version) : 0;
    }
    case IOCTL_WD_PCI_SCAN_CARDS: {
      WD_PCI_SCAN_CARDS* scan = blockOf<WD_PCI_SCAN_CARDS>(block, blockSize);
      return scan != nullptr ? answerScan(*this, *scan) : 0;
    }
    case IOCTL_WD_PCI_GET_CARD_INFO: {
      WD_PCI_CARD_INFO* info = blockOf<WD_PCI_CARD_INFO>(block, blockSize);
      return info != nullptr ? answerCardInfo(*this, *info) : 0;
    }
    case IOCTL_WD_CARD_REGISTER: {
      WD_CARD_REGISTER* registration = blockOf<WD_CARD_REGISTER>(block, blockSize);
      return registration != nullptr ? answerRegister(*this, *registration) : 0;
    }
    case IOCTL_WD_CARD_UNREGISTER: {
      WD_CARD_REGISTER* registration = blockOf<WD_CARD_REGISTER>(block, blockSize);
      return registration != nullptr ? answerUnregister(*this, *registration) : 0;
    }
    case IOCTL_WD_TRANSFER: {
      WD_TRANSFER* transfer = blockOf<WD_TRANSFER>(block, blockSize);
      return transfer != nullptr ? answerTransfer(*this, *transfer) : 0;
    }
    default:
      return 0;
  }
}

std::unique_ptr<SimDriver> makeDemoSimDriver(std::function<LocalTime()> localTime) {
  SimConfig config;
  config.card.irigSignalPresent = true;
  config.card.keepWriteLog = false;
  return std::make_unique<SimDriver>(config, realSteadyClock(), std::move(localTime));
}
