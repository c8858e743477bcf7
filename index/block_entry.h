// The summary of one block of records that the saved index keeps: what the searches need to prove
// that a block holds no match and the counts they add up without reading it, and what qeltool
// stats shows. A block is 16384 records (one capture half) from the start of the file; the last
// block of a file may be shorter.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/record_layout.h"

constexpr uint64_t kIndexBlockRecords = 16384;

// The class of a record for the counts: busChannel x 4 + commandSync x 2 + (any error flag ? 1 : 0),
// from its flag byte (the top byte of longword 2).
constexpr unsigned kRecordClasses = 16;
constexpr unsigned kFlagByteShift = busfield::kErrorFlags.shift;
inline unsigned recordClassOfFlagByte(unsigned flagByte) {
  const uint32_t lw2 = uint32_t{flagByte} << kFlagByteShift;
  return 4 * fieldValue(lw2, busfield::kBusChannel) + 2 * fieldValue(lw2, busfield::kCommandSync) +
         (fieldValue(lw2, busfield::kErrorFlags) != 0 ? 1u : 0u);
}

struct BlockEntry {
  uint32_t records = 0;
  uint32_t first[3] = {0, 0, 0};  // longwords 0 to 2 of the first record, as in the file
  uint32_t last[3] = {0, 0, 0};   // and of the last record
  uint64_t minTime = 0;           // smallest time tag, half microseconds
  uint64_t maxTime = 0;           // largest
  // Steps from one record's time tag to the next within the block (half microseconds, as signed
  // differences); INT64_MAX and INT64_MIN when the block has fewer than two records.
  int64_t minStep = INT64_MAX;
  int64_t maxStep = INT64_MIN;
  uint32_t maxStepAt = 0;        // position (from 0) of the first record whose step is maxStep; 0 for none
  uint32_t backwardSteps = 0;    // records whose time tag is below that of the record before
  uint32_t firstBackwardAt = 0;  // position of the first of them; 0 for none
  uint32_t wordOr = 0;           // union of the 24-bit bus words
  uint32_t wordAnd = 0;          // intersection
  uint16_t classCounts[kRecordClasses] = {};
  uint16_t flagCounts[4] = {};  // records with Sh, Lg, Mn, Py set, by errorFlags bit
};

// Adds count records (16 bytes each, file order) to the end of the block the entry describes.
// portableOnly: record by record even where a faster form exists (both give the same entry).
void addRecordsToEntry(BlockEntry& entry, const unsigned char* records, size_t count, bool portableOnly = false);

// Adds records at the end of a file whose blocks the entries describe: the last entry filled up
// to a whole block, then new ones.
void addRecordsToEntries(std::vector<BlockEntry>& entries, const unsigned char* records, size_t count);

// The entry of a block of count (at least 1) records.
BlockEntry summarizeBlock(const unsigned char* records, size_t count, bool portableOnly = false);

// The time tag of the first or last record of an entry, in half microseconds.
uint64_t entryFirstTime(const BlockEntry& entry);
uint64_t entryLastTime(const BlockEntry& entry);
