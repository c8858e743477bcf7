// Data files of crafted records for the search tests.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "files/bus_record.h"
#include "index/index_file.h"
#include "tests/support/test_records.h"

struct CraftedRecord {
  uint64_t halfMicros = 0;  // since the start of day 0
  uint32_t word = 0;
  unsigned errors = 0, sync = 0, channel = 0;
  bool ignoredBits = false;  // set every bit no field uses
};

inline BusRecord craftRecord(const CraftedRecord& c) {
  return testRecord({c.halfMicros, c.word, c.channel, c.sync, c.errors, c.ignoredBits});
}

inline uint64_t halfOf(double micros) { return static_cast<uint64_t>(micros * 2.0); }

inline std::string tempDataPath(const std::string& name) { return ::testing::TempDir() + "vk_search_" + name; }

// Removes a data file and the index a search may have left beside it.
inline void removeDataFile(const std::string& path) {
  std::remove(path.c_str());
  std::remove(indexPathFor(path).c_str());
}

inline void writeCraftedFile(const std::string& path, const std::vector<CraftedRecord>& crafted,
                             unsigned fragment = 0) {
  std::vector<BusRecord> records;
  for (const CraftedRecord& c : crafted) records.push_back(craftRecord(c));
  writeDataFile(path, records, fragment);
}

// Records in stretches of a few thousand, each stretch with its own channels, sync, error flags,
// bus words and time steps (steady, equal, jumping back, long gaps), so that whole blocks of 16384
// records differ in what they hold and searches with an index can skip some of them.
inline std::vector<BusRecord> variedRecords(unsigned seed, size_t count) {
  auto next = [&seed](unsigned range) { return ((seed = seed * 1664525u + 1013904223u) >> 8) % range; };
  std::vector<BusRecord> records;
  uint64_t half = 86400ull * 2000000ull * (100 + next(200)) + next(2000000000u);
  while (records.size() < count) {
    const size_t stretch = 2000 + next(30000);
    const unsigned channels = 1 + next(15), syncKind = next(3), errorKind = next(4), wordKind = next(4);
    const unsigned timeKind = next(5);
    const uint32_t fixedWord = next(1u << 24);
    for (size_t i = 0; i < stretch && records.size() < count; ++i) {
      const unsigned roll = next(1000);
      switch (timeKind) {
        case 0: half += 40 + next(80); break;                                   // steady
        case 1: half += roll < 300 ? 0 : 1 + next(3); break;                    // equal and near
        case 2: half = roll < 5 ? half - next(4000000) : half + 40 + next(60); break;  // jumps back
        case 3: half += roll < 3 ? 2000000ull * (1 + next(4000)) : 50; break;  // long gaps
        default: half += next(3000000); break;                                  // across seconds
      }
      unsigned channel = next(4);
      while (((channels >> channel) & 1u) == 0) channel = (channel + 1) % 4;
      const unsigned sync = syncKind == 0 ? 0u : syncKind == 1 ? 1u : (roll < 200 ? 1u : 0u);
      const unsigned errors = errorKind == 0 ? 0u : errorKind == 1 ? (roll < 4 ? 1u + next(15) : 0u) : 1u + next(15);
      const uint32_t word = wordKind == 0 ? next(1u << 24) : wordKind == 1 ? fixedWord
                            : wordKind == 2 ? (fixedWord | 0x00000Fu) & ~0x800000u : fixedWord ^ (next(2) << 4);
      records.push_back(craftRecord({half, word, errors, sync, channel, roll < 50}));
    }
  }
  return records;
}
