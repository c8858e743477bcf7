// The one record that holds the driver handle, the card's registration, its memory base and the
// driver request blocks. Zero-filled before the first openCard: a request the driver does not
// carry out leaves its fields at zero, which is how failures show.
#pragma once
#include <cstdint>

#include "card/driver_port.h"
#include "card/windriver_api.h"

constexpr uint32_t kNoItem = 0xFFFF;

struct CardSession {
  uint32_t memoryBase = 0;
  DriverHandle driverHandle = 0;
  WD_CARD_REGISTER registration{};
  WD_VERSION version{};
  WD_PCI_SCAN_CARDS scan{};
  WD_PCI_CARD_INFO cardInfo{};
  WD_TRANSFER transfer{};
  uint32_t memoryItem = 0;
  uint32_t interruptItem = 0;
  DriverPort* port = nullptr;  // the driver behind every request
};
