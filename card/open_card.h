// The driver channel and card discovery.
#pragma once
#include <cstdint>

#include "card/card_session.h"
#include "common/status_code.h"

constexpr uint32_t kKolvaVendorId = 0x1644;
constexpr uint32_t kKolvaDeviceId = 0x5B1B;
constexpr uint32_t kMinimumDriverVersion = 503;

// One request on handle: -1 without issuing anything when the handle is invalid, otherwise
// DeviceIoControl's result.
int driverCall(DriverPort& port, uint32_t code, DriverHandle handle, void* block, uint32_t blockSize);

// Finds, checks and registers the card. Success when registered and memoryBase is valid,
// CardNotFound when anything on the way fails, InvalidHandle when session is null (or has no
// driver port).
StatusCode openCard(CardSession* session);
