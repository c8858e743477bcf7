// The summary of a block against a plain reading of its records, in both forms (portable and
// SIMD), made whole or added in pieces.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/record_clock.h"
#include "index/block_entry.h"
#include "index/index_file.h"
#include "tests/unit/search/varied_records.h"

namespace {

BlockEntry plainEntry(const std::vector<BusRecord>& records, const std::vector<unsigned char>& bytes) {
  BlockEntry e;
  e.records = static_cast<uint32_t>(records.size());
  e.minTime = UINT64_MAX;
  e.wordAnd = 0xFFFFFF;
  uint64_t previous = 0;
  for (size_t i = 0; i < records.size(); ++i) {
    const BusRecord& r = records[i];
    const uint64_t t = timeTagHalfMicrosExact(timeTagOf(r));
    e.minTime = std::min(e.minTime, t);
    e.maxTime = std::max(e.maxTime, t);
    if (i > 0) {
      const int64_t step = static_cast<int64_t>(t) - static_cast<int64_t>(previous);
      e.minStep = std::min(e.minStep, step);
      if (step > e.maxStep) e.maxStep = step, e.maxStepAt = static_cast<uint32_t>(i);
      if (step < 0 && e.backwardSteps++ == 0) e.firstBackwardAt = static_cast<uint32_t>(i);
    }
    previous = t;
    e.wordOr |= busWord(r);
    e.wordAnd &= busWord(r);
    ++e.classCounts[busChannel(r) * 4 + commandSync(r) * 2 + (errorFlags(r) != 0 ? 1 : 0)];
    for (unsigned flag = 0; flag < 4; ++flag) e.flagCounts[flag] += (errorFlags(r) >> flag) & 1u;
  }
  for (unsigned k = 0; k < 3; ++k) {
    e.first[k] = recordLongword(bytes.data(), k);
    e.last[k] = recordLongword(bytes.data() + (records.size() - 1) * kBusRecordBytes, k);
  }
  return e;
}

std::string encoded(const BlockEntry& entry) {
  unsigned char bytes[kIndexEntryBytes];
  encodeBlockEntry(entry, bytes);
  return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

}  // namespace

TEST(BlockEntry, SummaryAgreesWithAPlainReadingOfTheRecords) {
  std::vector<std::vector<BusRecord>> blocks;
  for (unsigned seed = 1; seed <= 12; ++seed) {
    const size_t sizes[] = {1, 2, 3, 5, 61, 4096, kIndexBlockRecords};
    blocks.push_back(variedRecords(seed, sizes[seed % 7]));
  }
  blocks.push_back(variedRecords(99, kIndexBlockRecords));
  // Steps beyond 32 bits, back across days, equal times, a first step back, day 427 hours 31.
  const uint64_t day = 86400ull * 2000000ull;
  blocks.push_back({testRecord({5 * day}), testRecord({5 * day - 1}), testRecord({300 * day}),
                    testRecord({300 * day}), testRecord({2 * day + 1999999}), testRecord({2 * day + 2000000}),
                    testRecord({300 * day + 7}), testRecord({300 * day + 3}), testRecord({0})});
  BusRecord odd{};
  odd.words[0] = 0x3FFF, odd.words[1] = 0xFFFF, odd.words[2] = 0xFFFF, odd.words[3] = 0xFFFF, odd.words[4] = 0xFFFF;
  blocks.push_back({testRecord({day}), odd, testRecord({day + 3}), odd, odd});

  unsigned seed = 5;
  for (const std::vector<BusRecord>& records : blocks) {
    const Bytes bytes = dataFileBytes(records);
    const std::string expected = encoded(plainEntry(records, bytes));
    const std::string what = "block of " + std::to_string(records.size()) + " from " + std::to_string(&records - &blocks[0]);
    for (const bool portable : {true, false}) {
      EXPECT_EQ(encoded(summarizeBlock(bytes.data(), records.size(), portable)), expected) << what << portable;
      BlockEntry pieces;
      for (size_t at = 0; at < records.size();) {
        const size_t n = std::min(records.size() - at, size_t{1} + (seed = seed * 69069u + 1) % 3000);
        addRecordsToEntry(pieces, bytes.data() + at * kBusRecordBytes, n, portable);
        at += n;
      }
      EXPECT_EQ(encoded(pieces), expected) << what << " in pieces" << portable;
    }
  }
}
