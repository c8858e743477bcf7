#include "card/open_card.h"

int driverCall(DriverPort& port, uint32_t code, DriverHandle handle, void* block, uint32_t blockSize) {
  if (handle == kInvalidDriverHandle) return -1;
  return port.deviceIoControl(handle, code, block, blockSize);
}

namespace {

int request(CardSession& session, uint32_t code, void* block, uint32_t blockSize) {
  return driverCall(*session.port, code, session.driverHandle, block, blockSize);
}

// Notes the memory and interrupt items of the card's resource list. Every item is visited, also
// after an unacceptable one. dwItems comes from the driver; reads stop at the block's 20 entries
// whatever count it reports.
StatusCode classifyItems(CardSession& session) {
  StatusCode status = StatusCode::Success;
  const WD_CARD& card = session.registration.Card;
  session.memoryItem = kNoItem;
  session.interruptItem = kNoItem;
  for (uint32_t i = 0; i < card.dwItems && i < static_cast<uint32_t>(WD_CARD_ITEMS); ++i) {
    switch (card.Item[i].item) {
      case ITEM_INTERRUPT:
        if (session.interruptItem == kNoItem) {
          session.interruptItem = i;
        } else {
          status = StatusCode::CardNotFound;
        }
        break;
      case ITEM_MEMORY:
        if (session.memoryItem == kNoItem) {
          session.memoryItem = i;
        } else {
          status = StatusCode::CardNotFound;
        }
        break;
      case ITEM_IO:
        status = StatusCode::CardNotFound;
        break;
      default:
        break;
    }
  }
  return status;
}

}  // namespace

StatusCode openCard(CardSession* session) {
  if (session == nullptr || session->port == nullptr) return StatusCode::InvalidHandle;
  CardSession& s = *session;
  DriverPort& port = *s.port;
  StatusCode status = StatusCode::Success;

  // Release any earlier opening; on a fresh session both fail harmlessly.
  request(s, IOCTL_WD_CARD_UNREGISTER, &s.registration, sizeof s.registration);
  port.closeDevice(s.driverHandle);

  s.driverHandle = port.openDevice();
  if (s.driverHandle == kInvalidDriverHandle) status = StatusCode::CardNotFound;

  if (ok(status)) {
    request(s, IOCTL_WD_VERSION, &s.version, sizeof s.version);
    if (s.version.dwVer < kMinimumDriverVersion) status = StatusCode::CardNotFound;
  }
  if (ok(status)) {
    s.scan.searchId.dwVendorId = kKolvaVendorId;
    s.scan.searchId.dwDeviceId = kKolvaDeviceId;
    request(s, IOCTL_WD_PCI_SCAN_CARDS, &s.scan, sizeof s.scan);
    if (s.scan.dwCards == 0) status = StatusCode::CardNotFound;
  }
  if (!ok(status)) return status;

  s.cardInfo.pciSlot = s.scan.cardSlot[0];
  request(s, IOCTL_WD_PCI_GET_CARD_INFO, &s.cardInfo, sizeof s.cardInfo);
  s.registration.Card = s.cardInfo.Card;

  status = classifyItems(s);
  if (ok(status) && s.memoryItem == kNoItem) status = StatusCode::CardNotFound;

  if (ok(status)) {
    s.registration.fCheckLockOnly = 0;
    request(s, IOCTL_WD_CARD_REGISTER, &s.registration, sizeof s.registration);
    if (s.registration.hCard == 0) status = StatusCode::CardNotFound;
  }
  // Set even when the card was refused; callers use it only after Success.
  if (s.memoryItem != kNoItem) s.memoryBase = s.registration.Card.Item[s.memoryItem].Mem.dwTransAddr;
  return status;
}
