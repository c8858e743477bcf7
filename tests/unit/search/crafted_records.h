// Data files of crafted records for the search tests.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "files/bus_record.h"

struct CraftedRecord {
  uint64_t halfMicros = 0;  // since the start of day 0
  uint32_t word = 0;
  unsigned errors = 0, sync = 0, channel = 0;
  bool ignoredBits = false;  // set every bit no field uses
};

inline BusRecord craftRecord(const CraftedRecord& c) {
  const uint64_t ms = c.halfMicros / 2000, s = ms / 1000, day = s / 86400, ofDay = s % 86400;
  BusRecord r{};
  r.words[0] = static_cast<uint16_t>(((day / 100) << 12) | ((day % 100) << 5) | (ofDay / 3600));
  r.words[1] = static_cast<uint16_t>((((ofDay / 60) % 60) << 6) | (ofDay % 60));
  r.words[2] = static_cast<uint16_t>(ms % 1000);
  r.words[3] = static_cast<uint16_t>(c.halfMicros % 2000);
  r.words[4] = static_cast<uint16_t>((c.channel << 14) | (c.sync << 12) | (c.errors << 8) | (c.word >> 16));
  r.words[5] = static_cast<uint16_t>(c.word & 0xFFFF);
  if (c.ignoredBits) {
    const uint16_t ignored[8] = {0xC000, 0xF000, 0xFC00, 0xF800, 0x2000, 0, 0xFFFF, 0xA5A5};
    for (int i = 0; i < 8; ++i) r.words[i] |= ignored[i];
  }
  return r;
}

inline uint64_t halfOf(double micros) { return static_cast<uint64_t>(micros * 2.0); }

inline std::string tempDataPath(const std::string& name) { return ::testing::TempDir() + "vk_search_" + name; }

// The records, then `fragment` bytes of 0xFF (an incomplete record).
inline void writeDataFile(const std::string& path, const std::vector<BusRecord>& records, unsigned fragment = 0) {
  std::vector<unsigned char> bytes(records.size() * kBusRecordBytes + fragment, 0xFF);
  for (size_t i = 0; i < records.size(); ++i) busRecordToBytes(records[i], &bytes[i * kBusRecordBytes]);
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  if (!bytes.empty()) {
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
  }
  std::fclose(f);
}

inline void writeCraftedFile(const std::string& path, const std::vector<CraftedRecord>& crafted,
                             unsigned fragment = 0) {
  std::vector<BusRecord> records;
  for (const CraftedRecord& c : crafted) records.push_back(craftRecord(c));
  writeDataFile(path, records, fragment);
}
