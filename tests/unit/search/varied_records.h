// Records whose stretches differ, for the search and index tests.
#pragma once
#include <cstdint>
#include <vector>

#include "tests/support/test_records.h"

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
      records.push_back(testRecord({half, word, channel, sync, errors, roll < 50}));
    }
  }
  return records;
}
