// Card register access, the block read, the command handshake and the time read. Each access is
// one WD_Transfer through the session's transfer block, and each reports whether the driver
// carried it out: a value is handed back only from a request that worked.
#pragma once
#include <cstdint>

#include "card/card_session.h"
#include "common/status_code.h"

constexpr uint32_t kCommandPollCount = 100000;
constexpr int kTimeReadPause = 100;

// A driver request that failed: the card no longer answers. It is shown with the text of every
// other failure to reach the card, "ERROR: Could not find KOLVA card".
constexpr StatusCode kCardNotAnswering = StatusCode::CardNotFound;

[[nodiscard]] StatusCode writeCardWord(CardSession& session, uint32_t offset, uint16_t value);
// value is set only when the read worked.
[[nodiscard]] StatusCode readCardWord(CardSession& session, uint32_t offset, uint16_t& value);
// Writes at offset, then adds 2 to it (also after a failed write).
[[nodiscard]] StatusCode writeCardWordNext(CardSession& session, uint32_t& offset, uint16_t value);
// Copies wordCount 16-bit words of card memory from the plain offset into buffer (host order).
// After a failure the buffer's contents are not card data.
[[nodiscard]] StatusCode readCardBlock(CardSession& session, uint32_t offset, uint32_t wordCount, void* buffer);
// CannotExecuteCommand when a waited-for command's register 4 has not read 0 within 100000 reads.
[[nodiscard]] StatusCode issueCardCommand(CardSession& session, uint16_t command, bool wait);
// Stop capture (command 11), not waited for.
[[nodiscard]] StatusCode stopCapture(CardSession& session);
// Latches and reads the two time words; valid when bit 31 of the first is clear.
[[nodiscard]] StatusCode readCardTime(CardSession& session, uint32_t words[2], bool& valid);
// The capture write pointer: (register 36 AND 0xF) << 16 | register 38.
[[nodiscard]] StatusCode readCaptureWritePointer(CardSession& session, uint32_t& pointer);

// The card's clock as the time display shows it.
struct CardClock {
  unsigned day = 0;
  unsigned hours = 0;
  unsigned minutes = 0;
  unsigned seconds = 0;
  bool signalValid = false;  // an IRIG-B signal is present
};

// The fields of the first time word (the layout of a record's longword 0).
CardClock decodeCardTimeWord(uint32_t word);
// readCardTime, decoded.
[[nodiscard]] StatusCode readCardClock(CardSession& session, CardClock& clock);

// An empty count that the compiler may not remove.
void busyCount(long iterations);
