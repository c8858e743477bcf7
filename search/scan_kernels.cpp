#include "search/scan_kernels.h"

#include <algorithm>
#include <cmath>

#include "files/bus_record.h"
#include "files/sse2_records.h"

namespace {

constexpr uint32_t kErrorBits = kErrorFlagBits;
constexpr uint32_t kSyncBit = fieldPlace(busfield::kCommandSync);
constexpr uint32_t kChannelBits = fieldPlace(busfield::kBusChannel);
constexpr uint32_t kWordBits = fieldPlace(busfield::kBusWord);

int64_t clampedGapEnd(double twiceBound) {
  if (twiceBound >= static_cast<double>(kGapBeyond)) return kGapBeyond;
  if (twiceBound <= -static_cast<double>(kGapBeyond)) return -kGapBeyond;
  return static_cast<int64_t>(twiceBound);
}

}  // namespace

// The gap is (tCur - tPrev) - 28 in microseconds with both times multiples of 0.5 below 2^47:
// every step is exact in doubles, so gap = d/2 - 28 with d the difference in half microseconds,
// and for the whole number d - 56
//   gap >= gapMin  <=>  d - 56 >= 2 gapMin  <=>  d - 56 >= ceil(2 gapMin)
//   gap >  gapMax  <=>  d - 56 >  2 gapMax  <=>  d - 56 >  floor(2 gapMax)
// A NaN gapMin fails every gap and a NaN gapMax none, as the double comparisons do.
MatchPlan makeMatchPlan(const SearchSettings& s) {
  MatchPlan plan;
  bool never = false;
  const uint32_t dontCare = s.dontCareMask;
  plan.care = ~dontCare & kWordBits;
  plan.want = s.oneMask & plan.care;
  // A ONE outside the 24 data bits that is not also a don't-care can never be met.
  if ((s.oneMask & ~dontCare & ~kWordBits) != 0) never = true;

  if (s.syncChoice == SyncCmd) {
    plan.care |= kSyncBit;
    plan.want |= kSyncBit;
  } else if (s.syncChoice == SyncData) {
    plan.care |= kSyncBit;
  }

  if (s.errorChoice == NoErrors) plan.care |= kErrorBits;
  if (s.errorChoice == WithErrors) plan.withErrors = true;

  if (s.busChoice >= BusJ1 && s.busChoice <= BusJ4) {
    plan.care |= kChannelBits;
    plan.want |= fieldBits(busfield::kBusChannel, static_cast<uint32_t>(s.busChoice - 1));
  } else if (s.busChoice != BusAny) {
    never = true;
  }

  if (never) {
    plan.care = 0;
    plan.want = 1;
  }

  plan.gap = s.gapMinEnabled != 0 || s.gapMaxEnabled != 0;
  plan.gapAfter = s.gapBefore == 0;
  if (s.gapMinEnabled != 0) {
    plan.lowest = std::isnan(s.gapMin) ? kGapBeyond : clampedGapEnd(std::ceil(2.0 * s.gapMin));
  }
  if (s.gapMaxEnabled != 0) {
    plan.highest = std::isnan(s.gapMax) ? kGapBeyond : clampedGapEnd(std::floor(2.0 * s.gapMax));
  }
  return plan;
}

namespace {

// Reads one record. Returns whether the record decided now matches and its line through decided:
// the record itself, or with GAP_AFTER the record before it (0 for the first record of the file,
// when nothing is decided).
template <bool kGap, bool kGapAfter, bool kWithErrors>
inline bool stepRecord(const MatchPlan& plan, MatchScanState& st, const unsigned char* record, uint64_t& decided) {
  const uint32_t lw2 = recordLongword(record, 2);
  bool meets = (lw2 & plan.care) == plan.want;
  if (kWithErrors) meets = meets && (lw2 & kErrorBits) != 0;
  const uint64_t line = ++st.line;
  if (!kGap) {
    decided = line;
    return meets;
  }
  const uint64_t time = recordHalfMicros(st.clock, record);
  const int64_t excess = static_cast<int64_t>(time - st.prevTime) - kGapOffsetHalfMicros;
  const bool inWindow = line > 1 && excess >= plan.lowest && excess <= plan.highest;
  st.prevTime = time;
  if (kGapAfter) {
    decided = line - 1;
    const bool previousMatches = st.pending && inWindow;
    st.pending = meets;
    return previousMatches;
  }
  decided = line;
  return meets && inWindow;
}

template <bool kGap, bool kGapAfter, bool kWithErrors>
uint64_t countPortable(const MatchPlan& plan, MatchScanState& st, const unsigned char* records, size_t count) {
  uint64_t matches = 0;
  uint64_t decided;
  for (size_t i = 0; i < count; ++i) {
    matches += stepRecord<kGap, kGapAfter, kWithErrors>(plan, st, records + i * kBusRecordBytes, decided) ? 1 : 0;
  }
  return matches;
}

template <bool kGap, bool kGapAfter, bool kWithErrors>
bool visitPortable(const MatchPlan& plan, MatchScanState& st, const unsigned char* records, size_t count,
                   const std::function<bool(uint64_t line)>& onMatch) {
  uint64_t decided;
  for (size_t i = 0; i < count; ++i) {
    if (stepRecord<kGap, kGapAfter, kWithErrors>(plan, st, records + i * kBusRecordBytes, decided) &&
        !onMatch(decided)) {
      return false;
    }
  }
  return true;
}

#if VK_SSE2

VK_SSE2_TARGET inline uint64_t laneSum(__m128i v) {
  uint64_t sum = 0;
  for (int k = 0; k < 4; ++k) {
    sum += static_cast<uint32_t>(_mm_cvtsi128_si32(v));
    v = _mm_srli_si128(v, 4);
  }
  return sum;
}

// Whole-number bounds of a 32-bit lane; differences within one second stay far inside them.
int32_t laneBound(int64_t bound) {
  const int64_t limit = int64_t(1) << 30;
  return static_cast<int32_t>(std::max(-limit, std::min(limit, bound)));
}

template <bool kGap, bool kGapAfter, bool kWithErrors>
VK_SSE2_TARGET uint64_t countSse2(const MatchPlan& plan, MatchScanState& st, const unsigned char* records,
                                  size_t count) {
  const __m128i care = _mm_set1_epi32(static_cast<int32_t>(plan.care));
  const __m128i want = _mm_set1_epi32(static_cast<int32_t>(plan.want));
  const __m128i errorBits = _mm_set1_epi32(static_cast<int32_t>(kErrorBits));
  const __m128i zero = _mm_setzero_si128();
  // Window on d, the difference within one second: d - 56 in [lowest, highest].
  const __m128i low = _mm_set1_epi32(laneBound(plan.lowest + kGapOffsetHalfMicros));
  const __m128i high = _mm_set1_epi32(laneBound(plan.highest + kGapOffsetHalfMicros));
  uint64_t matches = 0;
  uint64_t decided;
  size_t i = 0;
  while (i < count) {
    if ((kGap && st.line == 0) || count - i < 4) {
      matches += stepRecord<kGap, kGapAfter, kWithErrors>(plan, st, records + i * kBusRecordBytes, decided) ? 1 : 0;
      ++i;
      continue;
    }
    // Four records at a time while they lie in the second of the record before them.
    const uint64_t base = st.clock.secondsHalfMicros;
    const __m128i second = _mm_set1_epi32(static_cast<int32_t>(st.clock.longword0));
    __m128i lastTime = _mm_slli_si128(_mm_cvtsi32_si128(static_cast<int32_t>(st.prevTime - base)), 12);
    __m128i lastMeets = _mm_slli_si128(_mm_cvtsi32_si128(st.pending ? -1 : 0), 12);
    __m128i found = zero;
    size_t groups = 0;
    for (; count - i >= 4; i += 4, ++groups) {
      const FourRecords four = loadFourRecords(records + i * kBusRecordBytes);
      if (kGap && !allInSecond(four, second)) break;
      __m128i meets = _mm_cmpeq_epi32(_mm_and_si128(four.lw2, care), want);
      if (kWithErrors) meets = _mm_andnot_si128(_mm_cmpeq_epi32(_mm_and_si128(four.lw2, errorBits), zero), meets);
      if (kGap) {
        const __m128i time = withinSecond(four.lw1);
        const __m128i previous = _mm_or_si128(_mm_slli_si128(time, 4), _mm_srli_si128(lastTime, 12));
        const __m128i d = _mm_sub_epi32(time, previous);
        const __m128i outside = _mm_or_si128(_mm_cmpgt_epi32(low, d), _mm_cmpgt_epi32(d, high));
        lastTime = time;
        if (kGapAfter) {
          const __m128i previousMeets = _mm_or_si128(_mm_slli_si128(meets, 4), _mm_srli_si128(lastMeets, 12));
          lastMeets = meets;
          meets = previousMeets;
        }
        meets = _mm_andnot_si128(outside, meets);
      }
      found = _mm_sub_epi32(found, meets);
    }
    matches += laneSum(found);
    st.line += 4 * groups;
    if (kGap && groups > 0) {
      st.prevTime = base + lane3(lastTime);
      if (kGapAfter) st.pending = lane3(lastMeets) != 0;
    }
    // A group that leaves the second, and the last few records, go one by one.
    for (const size_t stop = std::min(count, i + 4); i < stop; ++i) {
      matches += stepRecord<kGap, kGapAfter, kWithErrors>(plan, st, records + i * kBusRecordBytes, decided) ? 1 : 0;
    }
  }
  return matches;
}

VK_SSE2_TARGET size_t findTimeSse2(HalfMicrosClock& clock, uint64_t wanted, const unsigned char* records,
                                   size_t count) {
  size_t i = 0;
  while (i < count) {
    const uint64_t base = clock.secondsHalfMicros;
    if (count - i >= 4 && wanted > base) {
      // Within the clock's second a record's time is base + t: it is late enough when t >= wanted - base.
      const uint64_t rest = wanted - base;
      const __m128i notBefore = _mm_set1_epi32(rest > (1u << 30) ? (1 << 30) : static_cast<int32_t>(rest) - 1);
      const __m128i second = _mm_set1_epi32(static_cast<int32_t>(clock.longword0));
      for (; count - i >= 4; i += 4) {
        const FourRecords four = loadFourRecords(records + i * kBusRecordBytes);
        if (!allInSecond(four, second)) break;
        const int late = _mm_movemask_epi8(_mm_cmpgt_epi32(withinSecond(four.lw1), notBefore));
        if (late != 0) return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(late))) / 4;
      }
    }
    // A group that leaves the second, a target at or before it, and the last few records.
    for (const size_t stop = std::min(count, i + 4); i < stop; ++i) {
      if (recordHalfMicros(clock, records + i * kBusRecordBytes) >= wanted) return i;
    }
  }
  return count;
}

#endif  // VK_SSE2

size_t findTimePortable(HalfMicrosClock& clock, uint64_t wanted, const unsigned char* records, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (recordHalfMicros(clock, records + i * kBusRecordBytes) >= wanted) return i;
  }
  return count;
}

}  // namespace

uint64_t countBlockMatches(const MatchPlan& plan, MatchScanState& state, const unsigned char* records, size_t count) {
#if VK_SSE2
  if (!plan.portableOnly && sse2Available()) {
    if (!plan.gap) {
      return plan.withErrors ? countSse2<false, false, true>(plan, state, records, count)
                             : countSse2<false, false, false>(plan, state, records, count);
    }
    if (plan.gapAfter) {
      return plan.withErrors ? countSse2<true, true, true>(plan, state, records, count)
                             : countSse2<true, true, false>(plan, state, records, count);
    }
    return plan.withErrors ? countSse2<true, false, true>(plan, state, records, count)
                           : countSse2<true, false, false>(plan, state, records, count);
  }
#endif
  if (!plan.gap) {
    return plan.withErrors ? countPortable<false, false, true>(plan, state, records, count)
                           : countPortable<false, false, false>(plan, state, records, count);
  }
  if (plan.gapAfter) {
    return plan.withErrors ? countPortable<true, true, true>(plan, state, records, count)
                           : countPortable<true, true, false>(plan, state, records, count);
  }
  return plan.withErrors ? countPortable<true, false, true>(plan, state, records, count)
                         : countPortable<true, false, false>(plan, state, records, count);
}

bool visitBlockMatches(const MatchPlan& plan, MatchScanState& state, const unsigned char* records, size_t count,
                       const std::function<bool(uint64_t line)>& onMatch) {
  if (!plan.gap) {
    return plan.withErrors ? visitPortable<false, false, true>(plan, state, records, count, onMatch)
                           : visitPortable<false, false, false>(plan, state, records, count, onMatch);
  }
  if (plan.gapAfter) {
    return plan.withErrors ? visitPortable<true, true, true>(plan, state, records, count, onMatch)
                           : visitPortable<true, true, false>(plan, state, records, count, onMatch);
  }
  return plan.withErrors ? visitPortable<true, false, true>(plan, state, records, count, onMatch)
                         : visitPortable<true, false, false>(plan, state, records, count, onMatch);
}

size_t findBlockTimeAtOrAfter(HalfMicrosClock& clock, uint64_t wanted, const unsigned char* records, size_t count,
                              bool portableOnly) {
#if VK_SSE2
  if (!portableOnly && sse2Available()) return findTimeSse2(clock, wanted, records, count);
#else
  (void)portableOnly;
#endif
  return findTimePortable(clock, wanted, records, count);
}
