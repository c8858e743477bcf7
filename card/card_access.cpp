#include "card/card_access.h"

#include "card/card_registers.h"
#include "card/open_card.h"

namespace {

StatusCode transfer(CardSession& session) {
  if (session.port == nullptr) return kCardNotAnswering;
  const int result =
      driverCall(*session.port, IOCTL_WD_TRANSFER, session.driverHandle, &session.transfer, sizeof session.transfer);
  // DeviceIoControl's non-zero success; driverCall's -1 means nothing was issued.
  return result > 0 ? StatusCode::Success : kCardNotAnswering;
}

// A 16-bit register n sits at byte n XOR 2: within each 32-bit word of the card, the lower
// register is the upper half in the host's byte order.
uint32_t registerAddress(const CardSession& session, uint32_t offset) { return session.memoryBase + (offset ^ 2u); }

}  // namespace

StatusCode writeCardWord(CardSession& session, uint32_t offset, uint16_t value) {
  session.transfer.cmdTrans = WM_WORD;
  session.transfer.dwPort = registerAddress(session, offset);
  session.transfer.Data.Word = value;
  return transfer(session);
}

StatusCode readCardWord(CardSession& session, uint32_t offset, uint16_t& value) {
  session.transfer.cmdTrans = RM_WORD;
  session.transfer.dwPort = registerAddress(session, offset);
  const StatusCode status = transfer(session);
  if (ok(status)) value = session.transfer.Data.Word;
  return status;
}

StatusCode writeCardWordNext(CardSession& session, uint32_t& offset, uint16_t value) {
  const StatusCode status = writeCardWord(session, offset, value);
  offset += 2;
  return status;
}

StatusCode readCardBlock(CardSession& session, uint32_t offset, uint32_t wordCount, void* buffer) {
  session.transfer.cmdTrans = RM_SWORD;
  session.transfer.dwPort = session.memoryBase + offset;  // plain offset: host byte order
  session.transfer.dwBytes = wordCount * 2;
  session.transfer.fAutoinc = 1;
  session.transfer.Data.pBuffer = buffer;
  return transfer(session);
}

StatusCode issueCardCommand(CardSession& session, uint16_t command, bool wait) {
  StatusCode status = writeCardWord(session, reg::kCommand, command);
  if (ok(status)) status = writeCardWord(session, reg::kDoorbell, doorbell::kRunCommand);
  if (!ok(status) || !wait) return status;
  uint32_t count = kCommandPollCount;
  uint16_t last = 1;
  while (count != 0 && last != 0) {
    status = readCardWord(session, reg::kCommand, last);
    if (!ok(status)) return status;
    --count;
  }
  // Completion seen on the very last read still counts as a timeout.
  return count == 0 ? StatusCode::CannotExecuteCommand : StatusCode::Success;
}

StatusCode stopCapture(CardSession& session) { return issueCardCommand(session, cmd::kStopCapture, false); }

StatusCode readCardTime(CardSession& session, uint32_t words[2], bool& valid) {
  StatusCode status = writeCardWord(session, reg::kDoorbell, doorbell::kLatchTime);
  if (!ok(status)) return status;
  busyCount(kTimeReadPause);
  for (int i = 0; i < 2; ++i) {
    session.transfer.cmdTrans = RM_DWORD;
    session.transfer.dwPort = session.memoryBase + reg::kTimeWords;
    status = transfer(session);
    if (!ok(status)) return status;
    words[i] = session.transfer.Data.Dword;
  }
  valid = (words[0] & tagfield::kNoSignal) == 0;
  return StatusCode::Success;
}

StatusCode readCaptureWritePointer(CardSession& session, uint32_t& pointer) {
  uint16_t high = 0;
  uint16_t low = 0;
  StatusCode status = readCardWord(session, reg::kWritePointerHigh, high);
  if (ok(status)) status = readCardWord(session, reg::kWritePointerLow, low);
  if (ok(status)) pointer = writePointerOf(high, low);
  return status;
}

CardClock decodeCardTimeWord(uint32_t word) {
  using namespace tagfield;
  CardClock clock;
  clock.day = 100 * fieldValue(word, kDayHundreds) + fieldValue(word, kDayLow);
  clock.hours = fieldValue(word, kHours);
  clock.minutes = fieldValue(word, kMinutes);
  clock.seconds = fieldValue(word, kSeconds);
  clock.signalValid = (word & kNoSignal) == 0;
  return clock;
}

StatusCode readCardClock(CardSession& session, CardClock& clock) {
  uint32_t words[2] = {0, 0};
  bool valid = false;
  const StatusCode status = readCardTime(session, words, valid);
  if (ok(status)) clock = decodeCardTimeWord(words[0]);
  return status;
}

void busyCount(long iterations) {
  volatile long counter = 0;
  while (counter < iterations) counter = counter + 1;
}
