#include "search/block_decisions.h"

#include "files/bus_record.h"

namespace {

// The fields of the flag byte (see recordClassOfFlagByte).
constexpr uint32_t kChannelFlagBits = fieldPlace(busfield::kBusChannel) >> kFlagByteShift;
constexpr uint32_t kSyncFlagBit = fieldPlace(busfield::kCommandSync) >> kFlagByteShift;
constexpr uint32_t kErrorFlagByteBits = fieldPlace(busfield::kErrorFlags) >> kFlagByteShift;
constexpr uint32_t kUnusedFlagBit = 0xFFu & ~(kChannelFlagBits | kSyncFlagBit | kErrorFlagByteBits);
constexpr uint32_t kWordBits = fieldPlace(busfield::kBusWord);
static_assert(kFlagByteShift + 8 == 32 && (kWordBits >> kFlagByteShift) == 0, "the flag byte tops longword 2");

// How many records of the block meet every criterion but the gap, or -1 when the summaries
// cannot tell. The record classes decide the channel, sync and error tests exactly; the union
// and intersection of the bus words decide the pattern when it fails or holds for every word.
int64_t meetingRecords(const MatchPlan& plan, const BlockEntry& entry) {
  if ((plan.want & ~plan.care) != 0) return 0;  // a criterion no record can meet
  const uint32_t flagCare = plan.care >> kFlagByteShift, flagWant = plan.want >> kFlagByteShift;
  const uint32_t errorCare = flagCare & kErrorFlagByteBits;
  if ((flagCare & kUnusedFlagBit) != 0 || (errorCare != 0 && (errorCare != kErrorFlagByteBits || (flagWant & kErrorFlagByteBits) != 0))) {
    return -1;  // masks the criteria never make
  }
  int64_t fitting = 0;
  for (unsigned k = 0; k < kRecordClasses; ++k) {
    const unsigned channel = k >> 2, sync = (k >> 1) & 1u, errors = k & 1u;
    const uint32_t want = flagWant << kFlagByteShift;
    if ((flagCare & kChannelFlagBits) != 0 && channel != fieldValue(want, busfield::kBusChannel)) continue;
    if ((flagCare & kSyncFlagBit) != 0 && sync != fieldValue(want, busfield::kCommandSync)) continue;
    if (errorCare != 0 && errors != 0) continue;
    if (plan.withErrors && errors == 0) continue;
    fitting += entry.classCounts[k];
  }
  const uint32_t ones = plan.want & kWordBits;
  const uint32_t zeros = plan.care & kWordBits & ~ones;
  const bool noWord = (ones & ~entry.wordOr) != 0 || (zeros & entry.wordAnd) != 0;
  const bool everyWord = (ones & ~entry.wordAnd) == 0 && (zeros & entry.wordOr) == 0;
  if (fitting == 0 || noWord) return 0;
  return everyWord ? fitting : -1;
}

bool inWindow(const MatchPlan& plan, int64_t step) {
  return step - kGapOffsetHalfMicros >= plan.lowest && step - kGapOffsetHalfMicros <= plan.highest;
}

}  // namespace

int64_t matchesFromSummary(const MatchPlan& plan, const BlockEntry* previous, const BlockEntry& entry) {
  const int64_t meeting = meetingRecords(plan, entry);
  if (!plan.gap) return meeting;

  // The record decided by the step into this block: with GAP_BEFORE its first record, with
  // GAP_AFTER the last record of the block before. The first record of the file has no step.
  int64_t head = 0;
  if (previous != nullptr) {
    const int64_t edge = static_cast<int64_t>(entryFirstTime(entry) - entryLastTime(*previous));
    const uint32_t decided = plan.gapAfter ? previous->last[2] : entry.first[2];
    head = recordMeetsPlan(plan, decided) && inWindow(plan, edge) ? 1 : 0;
  }
  // The rest are decided by the steps within the block: every record but the first (GAP_BEFORE)
  // or but the last (GAP_AFTER).
  const bool steps = entry.records > 1;
  const bool noStepFits = !steps || entry.maxStep - kGapOffsetHalfMicros < plan.lowest ||
                          entry.minStep - kGapOffsetHalfMicros > plan.highest;
  if (noStepFits) return head;
  if (meeting < 0) return -1;
  const uint32_t leftOut = plan.gapAfter ? entry.last[2] : entry.first[2];
  const int64_t inner = meeting - (recordMeetsPlan(plan, leftOut) ? 1 : 0);
  if (inner == 0) return head;
  const bool everyStepFits =
      entry.minStep - kGapOffsetHalfMicros >= plan.lowest && entry.maxStep - kGapOffsetHalfMicros <= plan.highest;
  return everyStepFits ? head + inner : -1;
}
