// Crafted data files for the end-to-end tests, built with the program's own record code.
#pragma once
#include <cstdint>
#include <string>

#include "files/bus_record.h"
#include "tests/support/record_oracles.h"

// A record at day 123 04:05:06 plus micros, with the given word, channel, sync and flags.
inline BusRecord craftedRecord(uint64_t micros, uint32_t word, unsigned channel, unsigned sync, unsigned flags) {
  const uint64_t ms = micros / 1000;
  const unsigned half = static_cast<unsigned>((micros % 1000) * 2);
  BusRecord r{};
  r.words[0] = static_cast<uint16_t>((1u << 12) | (23u << 5) | 4u);
  r.words[1] = static_cast<uint16_t>((5u << 6) | 6u);
  r.words[2] = static_cast<uint16_t>(ms & 0x3FF);
  r.words[3] = static_cast<uint16_t>(half);
  r.words[4] = static_cast<uint16_t>((channel << 14) | (sync << 12) | (flags << 8) | ((word >> 16) & 0xFF));
  r.words[5] = static_cast<uint16_t>(word & 0xFFFF);
  return r;
}

inline std::string recordBytes(const BusRecord& record) {
  unsigned char bytes[16];
  busRecordToBytes(record, bytes);
  return std::string(reinterpret_cast<const char*>(bytes), 16);
}

// count records 50 µs apart; every third a command word with errors on J3.
inline std::string craftedFile(int count) {
  std::string file;
  for (int i = 0; i < count; ++i) {
    const bool command = i % 3 == 0;
    file += recordBytes(craftedRecord(static_cast<uint64_t>(i) * 50, 0x9A5234u + static_cast<unsigned>(i),
                                      command ? 2 : 0, command ? 1 : 0, command ? 0x9 : 0));
  }
  return file;
}

// count records 50 us apart from day 123 04:05:06, seconds carried over; every third a command
// word with errors on J3 (as craftedFile), so that a file of several 16384-record blocks results.
inline std::string longCraftedFile(int count) {
  std::string file;
  for (int i = 0; i < count; ++i) {
    const bool command = i % 3 == 0;
    const uint64_t micros = static_cast<uint64_t>(i) * 50;
    BusRecord r = craftedRecord(micros % 1000000, 0x9A5234u + static_cast<unsigned>(i), command ? 2 : 0,
                                command ? 1 : 0, command ? 0x9 : 0);
    r.words[1] = static_cast<uint16_t>((5u << 6) | (6u + micros / 1000000));  // 04:05:06 on
    file += recordBytes(r);
  }
  return file;
}
