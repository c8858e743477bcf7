// Draining the capture ring into the data file: the tick's drain of a completed half and the
// final drain at the stop, with the overrun check on each half appended.
#include <cstring>

#include "card/card_access.h"
#include "card/card_registers.h"
#include "record/recording_session.h"

namespace {
// Receives the block reads before they are written to the file: room for a whole half and the
// filled part of the next, which the final drain may append together.
uint16_t captureBuffer[2 * ring::kHalfWords];

unsigned char* captureBytes() { return reinterpret_cast<unsigned char*>(captureBuffer); }

uint32_t halfStart(uint16_t captureHalf) { return captureHalf == 0 ? ring::kStart : ring::kMiddle; }

// Every stretch of records reaches the data file here, at fileEnd (the open file's end), which
// moves on by what was written. A short write keeps the whole records that reached the file,
// cuts off a partial one, and gives FileWriteError.
StatusCode appendStretch(RecordingSession& session, FileAppender& appender, const unsigned char* records,
                         uint32_t bytes, int64_t& fileEnd) {
  const size_t written = appender.write(records, bytes);
  addToIndexStream(session.index, records, written / kBusRecordBytes);
  if (written != bytes) {
    appender.truncate(fileEnd + static_cast<int64_t>(written / kBusRecordBytes) * kBusRecordBytes);
    return StatusCode::FileWriteError;
  }
  fileEnd += bytes;
  return StatusCode::Success;
}

// Counts an overrun when the half that begins with `records` no longer starts with the record
// first read there: the card has come round and written over it.
void checkHalfFirstRecord(RecordingSession& session, const unsigned char* records) {
  if (session.halfFirstRecordKnown && std::memcmp(records, session.halfFirstRecord, kBusRecordBytes) != 0) {
    ++session.overruns;
  }
}

// Reads the first record of the half the card is filling, once the card (register 36 reading
// `high`) is past it; until then the next tick tries again.
StatusCode noteHalfFirstRecord(CardSession& card, RecordingSession& session, uint16_t high) {
  if (session.halfFirstRecordKnown) return StatusCode::Success;
  const uint32_t start = halfStart(session.captureHalf);
  const uint16_t startHigh = writePointerHigh(start);
  if (high < startHigh) return StatusCode::Success;  // a pointer below the ring
  if (high == startHigh) {
    uint16_t low = 0;
    const StatusCode status = readCardWord(card, reg::kWritePointerLow, low);
    if (!ok(status) || low == 0) return status;
  }
  const StatusCode status = readCardBlock(card, start, kBusRecordUnits, session.halfFirstRecord);
  session.halfFirstRecordKnown = ok(status);
  return status;
}
}  // namespace

StatusCode drainStep(CardSession& card, RecordingSession& session, FileAppender& appender) {
  uint16_t high = 0;
  StatusCode status = readCardWord(card, reg::kWritePointerHigh, high);
  if (!ok(status)) return status;
  const uint16_t pointerHalf = high >= ring::kUpperHalfHigh ? 1 : 0;
  if (pointerHalf == (session.captureHalf != 0 ? 1 : 0)) return noteHalfFirstRecord(card, session, high);

  // The card has moved into the other half: the half it left is complete.
  status = readCardBlock(card, halfStart(session.captureHalf), ring::kHalfWords, captureBuffer);
  if (!ok(status)) return status;
  checkHalfFirstRecord(session, captureBytes());
  session.captureHalf = pointerHalf;
  session.halfFirstRecordKnown = false;
  status = noteHalfFirstRecord(card, session, high);
  if (!ok(status)) return status;

  if (!appender.open(session.path.c_str())) return StatusCode::FileOpenError;
  int64_t fileEnd = appender.sizeAtOpen();
  status = appendStretch(session, appender, captureBytes(), ring::kHalfBytes, fileEnd);
  appender.close();
  writeIndexStream(session.index);
  return status;
}

StatusCode stopAndDrain(CardSession& card, RecordingSession& session, FileAppender& appender) {
  StatusCode status = stopCapture(card);
  uint32_t pointer = 0;
  if (ok(status)) status = readCaptureWritePointer(card, pointer);
  if (!ok(status)) return status;

  // A half the card completed after the last tick comes first.
  const uint16_t pointerHalf = pointer >= ring::kMiddle ? 1 : 0;
  uint32_t halfBytes = 0;
  if (pointerHalf != session.captureHalf) {
    status = readCardBlock(card, halfStart(session.captureHalf), ring::kHalfWords, captureBuffer);
    if (!ok(status)) return status;
    checkHalfFirstRecord(session, captureBytes());
    halfBytes = ring::kHalfBytes;
    session.captureHalf = pointerHalf;
    session.halfFirstRecordKnown = false;
  }
  // Then the whole records of the half the card is in, even for a pointer outside the ring.
  const uint32_t start = halfStart(pointerHalf);
  uint32_t filledBytes = pointer > start ? pointer - start : 0;
  if (filledBytes > ring::kHalfBytes) filledBytes = ring::kHalfBytes;
  filledBytes -= filledBytes % kBusRecordBytes;
  unsigned char* filled = captureBytes() + halfBytes;
  if (filledBytes > 0) {
    status = readCardBlock(card, start, filledBytes / 2, filled);
    if (!ok(status)) return status;
    if (halfBytes == 0) checkHalfFirstRecord(session, filled);
  }

  if (!appender.open(session.path.c_str())) return StatusCode::FileOpenError;
  int64_t fileEnd = appender.sizeAtOpen();
  if (halfBytes > 0) {
    status = appendStretch(session, appender, captureBytes(), halfBytes, fileEnd);
    if (ok(status)) session.progress.wordsReceived += static_cast<float>(ring::kHalfRecords);
  }
  if (ok(status) && filledBytes > 0) status = appendStretch(session, appender, filled, filledBytes, fileEnd);
  appender.close();
  finishIndexStream(session.index);
  return status;
}
