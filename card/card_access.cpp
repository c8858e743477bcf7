#include "card/card_access.h"

#include "card/card_registers.h"
#include "card/open_card.h"

namespace {

int transfer(CardSession& session) {
  if (session.port == nullptr) return 0;
  return driverCall(*session.port, IOCTL_WD_TRANSFER, session.driverHandle, &session.transfer,
                    sizeof session.transfer, 0);
}

// A 16-bit register n sits at byte n XOR 2: within each 32-bit word of the card, the lower
// register is the upper half in the host's byte order.
uint32_t registerAddress(const CardSession& session, uint32_t offset) { return session.memoryBase + (offset ^ 2u); }

}  // namespace

int writeCardWord(CardSession& session, uint32_t offset, uint16_t value) {
  session.transfer.cmdTrans = WM_WORD;
  session.transfer.dwPort = registerAddress(session, offset);
  session.transfer.Data.Word = value;
  return transfer(session);
}

uint16_t readCardWord(CardSession& session, uint32_t offset) {
  session.transfer.cmdTrans = RM_WORD;
  session.transfer.dwPort = registerAddress(session, offset);
  transfer(session);
  return session.transfer.Data.Word;
}

void writeCardWordNext(CardSession& session, uint32_t& offset, uint16_t value) {
  writeCardWord(session, offset, value);
  offset += 2;
}

int readCardBlock(CardSession& session, uint32_t offset, uint32_t wordCount, void* buffer) {
  session.transfer.cmdTrans = RM_SWORD;
  session.transfer.dwPort = session.memoryBase + offset;  // plain offset: host byte order
  session.transfer.dwBytes = wordCount * 2;
  session.transfer.fAutoinc = 1;
  session.transfer.Data.pBuffer = buffer;
  return transfer(session);
}

StatusCode issueCardCommand(CardSession& session, uint16_t command, bool wait) {
  writeCardWord(session, reg::kCommand, command);
  writeCardWord(session, reg::kDoorbell, doorbell::kRunCommand);
  if (!wait) return StatusCode::Success;
  uint32_t count = kCommandPollCount;
  uint16_t last = 1;
  while (count != 0 && last != 0) {
    last = readCardWord(session, reg::kCommand);
    --count;
  }
  // Completion seen on the very last read still counts as a timeout.
  return count == 0 ? StatusCode::CannotExecuteCommand : StatusCode::Success;
}

int readCardTime(CardSession& session, uint32_t words[2]) {
  writeCardWord(session, reg::kDoorbell, doorbell::kLatchTime);
  busyCount(kTimeReadPause);
  for (int i = 0; i < 2; ++i) {
    session.transfer.cmdTrans = RM_DWORD;
    session.transfer.dwPort = session.memoryBase + reg::kTimeWords;
    transfer(session);
    words[i] = session.transfer.Data.Dword;
  }
  return (words[0] & timeword::kNoSignal) == 0 ? 1 : 0;
}

uint32_t readCaptureWritePointer(CardSession& session) {
  const uint32_t high = readCardWord(session, reg::kWritePointerHigh);
  const uint32_t low = readCardWord(session, reg::kWritePointerLow);
  return ((high & 0xFu) << 16) | low;
}

void busyCount(long iterations) {
  volatile long counter = 0;
  while (counter < iterations) counter = counter + 1;
}
