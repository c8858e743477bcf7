// Data files of crafted records for the search tests.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "files/bus_record.h"

struct CraftedRecord {
  uint64_t halfMicros = 0;   // time since the start of day 0 in half microseconds
  uint32_t word = 0;         // 24-bit bus word
  unsigned errors = 0;       // errorFlags
  unsigned sync = 0;         // commandSync
  unsigned channel = 0;      // busChannel, 0 for J1
  bool ignoredBits = false;  // set every bit no field uses
};

// The record with exactly these fields, laid out by the time-tag and bus-word rules.
inline BusRecord craftRecord(const CraftedRecord& c) {
  const uint64_t halfPerMs = 2000;
  const uint64_t ms = c.halfMicros / halfPerMs;
  const uint64_t seconds = ms / 1000;
  const uint64_t day = seconds / 86400;
  const uint64_t ofDay = seconds % 86400;
  BusRecord r{};
  r.words[0] = static_cast<uint16_t>(((day / 100) << 12) | ((day % 100) << 5) | (ofDay / 3600));
  r.words[1] = static_cast<uint16_t>((((ofDay / 60) % 60) << 6) | (ofDay % 60));
  r.words[2] = static_cast<uint16_t>(ms % 1000);
  r.words[3] = static_cast<uint16_t>(c.halfMicros % halfPerMs);
  r.words[4] = static_cast<uint16_t>((c.channel << 14) | (c.sync << 12) | (c.errors << 8) | (c.word >> 16));
  r.words[5] = static_cast<uint16_t>(c.word & 0xFFFF);
  if (c.ignoredBits) {
    r.words[0] |= 0xC000;
    r.words[1] |= 0xF000;
    r.words[2] |= 0xFC00;
    r.words[3] |= 0xF800;
    r.words[4] |= 0x2000;
    r.words[6] = 0xFFFF;
    r.words[7] = 0xA5A5;
  }
  return r;
}

// Microseconds as the half-microsecond count of a crafted record.
inline uint64_t halfOf(double micros) { return static_cast<uint64_t>(micros * 2.0); }

inline std::string tempDataPath(const std::string& name) { return ::testing::TempDir() + "vk_search_" + name; }

// Writes the records, then `fragment` extra bytes of 0xFF (an incomplete record).
inline void writeDataFile(const std::string& path, const std::vector<BusRecord>& records, unsigned fragment = 0) {
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  for (const BusRecord& r : records) {
    unsigned char bytes[kBusRecordBytes];
    busRecordToBytes(r, bytes);
    ASSERT_EQ(std::fwrite(bytes, 1, sizeof bytes, f), sizeof bytes);
  }
  for (unsigned i = 0; i < fragment; ++i) std::fputc(0xFF, f);
  std::fclose(f);
}

inline void writeCraftedFile(const std::string& path, const std::vector<CraftedRecord>& crafted,
                             unsigned fragment = 0) {
  std::vector<BusRecord> records;
  for (const CraftedRecord& c : crafted) records.push_back(craftRecord(c));
  writeDataFile(path, records, fragment);
}
