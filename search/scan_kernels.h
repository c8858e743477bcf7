// The inner loops of the pattern search and the time-tag search over one block of whole records.
//
// Each has a portable form, record by record, and on x86 an SSE2 form that takes four records at a
// time while they share longword 0 (day to second) with the record before them, which is nearly
// always; both give the same results.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

#include "common/record_layout.h"
#include "files/record_clock.h"
#include "search/search_settings.h"

// Beyond every difference of two time tags (those stay below 2^48 half microseconds).
constexpr int64_t kGapBeyond = int64_t(1) << 52;

// The criteria of SearchSettings in the form the scan tests them. Everything but the gap and
// "with errors" is one masked compare of longword 2 (its fields in common/record_layout.h). The
// gap window is on d - kGapOffsetHalfMicros, with d the difference of the two time tags in half
// microseconds, both ends included.
struct MatchPlan {
  uint32_t care = 0;
  uint32_t want = 0;
  bool withErrors = false;
  bool gap = false;
  bool gapAfter = false;
  int64_t lowest = -kGapBeyond;
  int64_t highest = kGapBeyond;
  bool portableOnly = false;  // the record-by-record forms even where a faster one exists
};

constexpr uint32_t kErrorFlagBits = fieldPlace(busfield::kErrorFlags);

// Whether a record meets every criterion but the gap, from its longword 2.
inline bool recordMeetsPlan(const MatchPlan& plan, uint32_t longword2) {
  return (longword2 & plan.care) == plan.want && (!plan.withErrors || (longword2 & kErrorFlagBits) != 0);
}

MatchPlan makeMatchPlan(const SearchSettings& settings);

// What the pattern scan carries from one record to the next.
struct MatchScanState {
  uint64_t line = 0;      // records read so far
  HalfMicrosClock clock;  // its longword 0 is that of the last record read
  uint64_t prevTime = 0;  // time of the last record read, half microseconds
  bool pending = false;   // GAP_AFTER: the last record read meets every criterion but the gap
};

// The number of records decided to match by this block. With GAP_AFTER a record is decided when
// the record after it is read: the last record of a block is decided in the next block, and the
// last record of the file never matches.
uint64_t countBlockMatches(const MatchPlan& plan, MatchScanState& state, const unsigned char* records, size_t count);

// The same decisions, calling onMatch(line) for each match in file order; false as soon as
// onMatch returns false.
bool visitBlockMatches(const MatchPlan& plan, MatchScanState& state, const unsigned char* records, size_t count,
                       const std::function<bool(uint64_t line)>& onMatch);

// The index of the first record of the block whose time in half microseconds is at least wanted,
// or count when there is none.
size_t findBlockTimeAtOrAfter(HalfMicrosClock& clock, uint64_t wanted, const unsigned char* records, size_t count,
                              bool portableOnly = false);
