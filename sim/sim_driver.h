// The simulated WinDriver with one simulated KOLVA card behind it: answers the six requests the
// recorder issues through the same blocks as the real driver, so that openCard and the register
// code run unchanged.
//
// WD_Version gives the configured dwVer. WD_PciScanCards lists the configured cards that match
// searchId (0 matches any). WD_PciGetCardInfo gives the resource list of the card in pciSlot.
// WD_CardRegister gives a non-zero hCard unless registration is refused or a card is already
// registered (its resources are locked); it opens the transfer window at the dwTransAddr of the
// first memory item it is given. WD_CardUnregister releases it. WD_Transfer performs RM_WORD,
// WM_WORD, RM_DWORD and RM_SWORD on the card's memory at dwPort minus that address.
// A request fails (returns 0, block unchanged) on a handle that is not open, with a block of the
// wrong size, for an unknown code or transfer command, for a transfer without a registered card
// or outside the card's 0xA0000 bytes, for a card slot that does not exist, and whenever a test
// has made its code fail.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "card/driver_port.h"
#include "card/open_card.h"
#include "card/windriver_api.h"
#include "common/local_time.h"
#include "sim/kolva_card.h"
#include "sim/sim_clock.h"

// The address through which the default card's memory is reached.
constexpr uint32_t kSimMemoryTransAddr = 0xE0A00000u;
constexpr uint32_t kSimMemoryPhysicalAddr = 0xFEB00000u;

// One PCI card the driver can find.
struct SimPciCard {
  WD_PCI_ID id{kKolvaVendorId, kKolvaDeviceId};
  WD_PCI_SLOT slot{1, 4, 0};
  std::vector<WD_ITEMS> items;                // the resource list, in order
  std::optional<uint32_t> reportedItemCount;  // dwItems when it should differ from items.size()
};

WD_ITEMS simMemoryItem(uint32_t transAddr = kSimMemoryTransAddr);
WD_ITEMS simInterruptItem(uint32_t irq = 11);

// The KOLVA card at bus 1 slot 4: one memory item and one interrupt item.
SimPciCard kolvaPciCard();

struct SimConfig {
  bool driverInstalled = true;  // false: the device cannot be opened
  uint32_t driverVersion = 503;
  std::vector<SimPciCard> cards{kolvaPciCard()};
  bool refuseRegistration = false;  // WD_CardRegister gives hCard 0
  KolvaCardConfig card;
};

struct SimDriver final : DriverPort {
  // Without a local-time source the IRIG-B time is day 1, 00:00:00 of a leap year.
  SimDriver(const SimConfig& config, SteadyClock& clock, std::function<LocalTime()> localTime = {});
  SimDriver(const SimDriver&) = delete;
  SimDriver& operator=(const SimDriver&) = delete;

  DriverHandle openDevice() override;
  void closeDevice(DriverHandle handle) override;
  int deviceIoControl(DriverHandle handle, uint32_t code, void* block, uint32_t blockSize) override;

  // Fault injection: while set, requests with this code fail (return 0, block unchanged).
  void setRequestFailing(uint32_t code, bool failing);
  // The same once `successes` more requests with this code have been let through; with onlyOne,
  // just that next request fails and the ones after it work again.
  void failRequestsAfter(uint32_t code, uint64_t successes, bool onlyOne = false);
  // Requests issued with this code, whether they succeeded or not.
  uint64_t requestCount(uint32_t code) const;
  size_t openHandleCount() const { return openHandles.size(); }
  bool cardRegistered() const { return registeredCard != 0; }

  // Test views of the card.
  const std::vector<RegisterWrite>& writeLog() const { return card.writeLog; }
  uint16_t memoryWord(uint32_t address) const;  // at a byte address of card memory

  SimConfig config;
  KolvaCard card;

  std::vector<DriverHandle> openHandles;
  DriverHandle nextHandle = 0x100;
  uint32_t registeredCard = 0;  // hCard of the registered card, 0 when none
  uint32_t nextCardHandle = 1;
  bool windowOpen = false;
  uint32_t windowBase = 0;  // dwTransAddr of the registered card's memory
  struct InjectedFailure {
    uint64_t successesBefore = 0;
    bool onlyOne = false;
  };
  std::unordered_map<uint32_t, InjectedFailure> injectedFailures;  // by request code
  std::unordered_map<uint32_t, uint64_t> requestCounts;
};

// The simulated card of the demonstration build: host steady clock, default traffic, IRIG-B
// signal present (the IRIG-B time follows localTime), no write log.
std::unique_ptr<SimDriver> makeDemoSimDriver(std::function<LocalTime()> localTime);
