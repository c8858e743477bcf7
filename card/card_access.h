// Card register access, the block read, the command handshake and the time read. Each access is
// one WD_Transfer through the session's transfer block.
#pragma once
#include <cstdint>

#include "card/card_session.h"
#include "common/status_code.h"

constexpr uint32_t kCommandPollCount = 100000;
constexpr int kTimeReadPause = 100;

int writeCardWord(CardSession& session, uint32_t offset, uint16_t value);
uint16_t readCardWord(CardSession& session, uint32_t offset);
// Writes at offset, then adds 2 to it.
void writeCardWordNext(CardSession& session, uint32_t& offset, uint16_t value);
// Copies wordCount 16-bit words of card memory from the plain offset into buffer (host order).
int readCardBlock(CardSession& session, uint32_t offset, uint32_t wordCount, void* buffer);
// Status 2 when a waited-for command's register 4 has not read 0 within 100000 reads.
StatusCode issueCardCommand(CardSession& session, uint16_t command, bool wait);
// Fills the two time words; 1 when bit 31 of the first is clear (valid time), else 0.
int readCardTime(CardSession& session, uint32_t words[2]);
// The capture write pointer: (register 36 AND 0xF) << 16 | register 38.
uint32_t readCaptureWritePointer(CardSession& session);

// An empty count that the compiler may not remove.
void busyCount(long iterations);
