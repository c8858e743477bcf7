#include "index/block_entry.h"

#include "files/bus_record.h"
#include "files/record_clock.h"
#include "files/sse2_records.h"

namespace {

uint64_t timeOfLongwords(const uint32_t longwords[3]) {
  return longword0HalfMicros(longwords[0]) + longword1HalfMicros(longwords[1]);
}

// The running summary of the records added so far.
struct Summing {
  HalfMicrosClock clock;  // its longword 0 is that of the last record added
  uint64_t previous = 0;  // time of the last record added
  uint64_t low = UINT64_MAX, high = 0;
  int64_t minStep = INT64_MAX, maxStep = INT64_MIN;
  uint32_t maxStepAt = 0, backward = 0, firstBackward = 0;
  uint32_t wordOr = 0, wordAnd = 0xFFFFFFFFu;
  uint32_t position = 0;  // of the next record in the block
};

// Of the flag byte, longword 2 bits 24-31, apart from Summing so that its counts, written through
// an index, do not keep the running values out of registers. Four histograms in turn keep runs
// of equal bytes from waiting on each other's increments.
using FlagHistogram = uint32_t[4][256];

[[gnu::always_inline]] inline void addOne(Summing& s, FlagHistogram& histogram, const unsigned char* record) {
  const uint64_t time = recordHalfMicros(s.clock, record);
  if (time < s.low) s.low = time;
  if (time > s.high) s.high = time;
  const int64_t step = static_cast<int64_t>(time - s.previous);
  if (s.position > 0) {
    if (step < s.minStep) s.minStep = step;
    if (step > s.maxStep) {
      s.maxStep = step;
      s.maxStepAt = s.position;
    }
    if (step < 0 && s.backward++ == 0) s.firstBackward = s.position;
  }
  s.previous = time;
  const uint32_t lw2 = recordLongword(record, 2);
  s.wordOr |= lw2;
  s.wordAnd &= lw2;
  ++histogram[s.position & 3][lw2 >> kFlagByteShift];
  ++s.position;
}

#if VK_SSE2
VK_SSE2_TARGET inline __m128i lesser(__m128i a, __m128i b) {
  const __m128i aAbove = _mm_cmpgt_epi32(a, b);
  return _mm_or_si128(_mm_and_si128(aAbove, b), _mm_andnot_si128(aAbove, a));
}
VK_SSE2_TARGET inline __m128i greater(__m128i a, __m128i b) {
  const __m128i aAbove = _mm_cmpgt_epi32(a, b);
  return _mm_or_si128(_mm_and_si128(aAbove, a), _mm_andnot_si128(aAbove, b));
}
VK_SSE2_TARGET inline int32_t leastLane(__m128i v) {
  v = lesser(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 0, 3, 2)));
  return _mm_cvtsi128_si32(lesser(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 3, 0, 1))));
}
VK_SSE2_TARGET inline int32_t greatestLane(__m128i v) {
  v = greater(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 0, 3, 2)));
  return _mm_cvtsi128_si32(greater(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 3, 0, 1))));
}

int32_t clampedToLane(int64_t value) {
  return value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : static_cast<int32_t>(value);
}

// Four records at a time while they lie in the second of the record before them and take no
// step back nor a step above the largest so far (which would need their positions); the rest
// one by one. Within a second, times and steps fit 32-bit lanes.
VK_SSE2_TARGET void addSse2(Summing& summing, FlagHistogram& histogram, const unsigned char* records, size_t count) {
  Summing s = summing;  // a local copy the compiler keeps in registers
  size_t i = 0;
  while (i < count) {
    if (s.position == 0 || count - i < 4) {
      addOne(s, histogram, records + i * kBusRecordBytes);
      ++i;
      continue;
    }
    const uint64_t base = s.clock.secondsHalfMicros;
    const __m128i second = _mm_set1_epi32(static_cast<int32_t>(s.clock.longword0));
    const __m128i largestStep = _mm_set1_epi32(clampedToLane(s.maxStep));
    const __m128i zero = _mm_setzero_si128();
    __m128i last = _mm_slli_si128(_mm_cvtsi32_si128(static_cast<int32_t>(s.previous - base)), 12);
    __m128i low = _mm_set1_epi32(INT32_MAX), high = _mm_set1_epi32(INT32_MIN);
    __m128i minStep = _mm_set1_epi32(INT32_MAX);
    __m128i wordOr = zero, wordAnd = _mm_set1_epi32(-1);
    size_t groups = 0;
    for (; count - i >= 4; i += 4, ++groups) {
      const unsigned char* r = records + i * kBusRecordBytes;
      const FourRecords four = loadFourRecords(r);
      if (!allInSecond(four, second)) break;
      const __m128i time = withinSecond(four.lw1);
      const __m128i step = _mm_sub_epi32(time, _mm_or_si128(_mm_slli_si128(time, 4), _mm_srli_si128(last, 12)));
      if (_mm_movemask_epi8(_mm_or_si128(_mm_cmpgt_epi32(zero, step), _mm_cmpgt_epi32(step, largestStep))) != 0) break;
      low = lesser(low, time);
      high = greater(high, time);
      minStep = lesser(minStep, step);
      wordOr = _mm_or_si128(wordOr, four.lw2);
      wordAnd = _mm_and_si128(wordAnd, four.lw2);
      ++histogram[0][r[11]];
      ++histogram[1][r[27]];
      ++histogram[2][r[43]];
      ++histogram[3][r[59]];
      last = time;
    }
    if (groups > 0) {
      const uint64_t lowest = base + static_cast<uint32_t>(leastLane(low));
      const uint64_t highest = base + static_cast<uint32_t>(greatestLane(high));
      if (lowest < s.low) s.low = lowest;
      if (highest > s.high) s.high = highest;
      if (leastLane(minStep) < s.minStep) s.minStep = leastLane(minStep);
      alignas(16) uint32_t lanes[8];
      _mm_store_si128(reinterpret_cast<__m128i*>(lanes), wordOr);
      _mm_store_si128(reinterpret_cast<__m128i*>(lanes + 4), wordAnd);
      s.wordOr |= lanes[0] | lanes[1] | lanes[2] | lanes[3];
      s.wordAnd &= lanes[4] & lanes[5] & lanes[6] & lanes[7];
      s.previous = base + lane3(last);
      s.position += static_cast<uint32_t>(4 * groups);
    }
    // A group that leaves the second or steps back or beyond, and the last few records.
    for (const size_t stop = i + 4 < count ? i + 4 : count; i < stop; ++i) {
      addOne(s, histogram, records + i * kBusRecordBytes);
    }
  }
  summing = s;
}
#endif

void addPortable(Summing& summing, FlagHistogram& histogram, const unsigned char* records, size_t count) {
  Summing s = summing;  // a local copy the compiler keeps in registers
  for (size_t i = 0; i < count; ++i) addOne(s, histogram, records + i * kBusRecordBytes);
  summing = s;
}

}  // namespace

uint64_t entryFirstTime(const BlockEntry& entry) { return timeOfLongwords(entry.first); }
uint64_t entryLastTime(const BlockEntry& entry) { return timeOfLongwords(entry.last); }

void addRecordsToEntry(BlockEntry& entry, const unsigned char* records, size_t count, bool portableOnly) {
  if (count == 0) return;
  Summing s;
  FlagHistogram histogram = {};
  if (entry.records > 0) {
    s.clock.longword0 = entry.last[0];
    s.clock.secondsHalfMicros = longword0HalfMicros(entry.last[0]);
    s.previous = entryLastTime(entry);
    s.low = entry.minTime;
    s.high = entry.maxTime;
    s.minStep = entry.minStep;
    s.maxStep = entry.maxStep;
    s.maxStepAt = entry.maxStepAt;
    s.backward = entry.backwardSteps;
    s.firstBackward = entry.firstBackwardAt;
    s.wordOr = entry.wordOr;
    s.wordAnd = entry.wordAnd;
    s.position = entry.records;
  } else {
    for (unsigned k = 0; k < 3; ++k) entry.first[k] = recordLongword(records, k);
  }
#if VK_SSE2
  if (!portableOnly && sse2Available()) {
    addSse2(s, histogram, records, count);
  } else {
    addPortable(s, histogram, records, count);
  }
#else
  (void)portableOnly;
  addPortable(s, histogram, records, count);
#endif
  const unsigned char* lastRecord = records + (count - 1) * kBusRecordBytes;
  for (unsigned k = 0; k < 3; ++k) entry.last[k] = recordLongword(lastRecord, k);
  for (unsigned byte = 0; byte < 256; ++byte) {
    const uint32_t n = histogram[0][byte] + histogram[1][byte] + histogram[2][byte] + histogram[3][byte];
    if (n == 0) continue;
    uint16_t& inClass = entry.classCounts[recordClassOfFlagByte(byte)];
    inClass = static_cast<uint16_t>(inClass + n);
    for (unsigned flag = 0; flag < 4; ++flag) {
      if ((byte >> flag) & 1u) entry.flagCounts[flag] = static_cast<uint16_t>(entry.flagCounts[flag] + n);
    }
  }
  entry.records = s.position;
  entry.minTime = s.low;
  entry.maxTime = s.high;
  entry.minStep = s.minStep;
  entry.maxStep = s.maxStep;
  entry.maxStepAt = s.maxStepAt;
  entry.backwardSteps = s.backward;
  entry.firstBackwardAt = s.firstBackward;
  entry.wordOr = fieldValue(s.wordOr, busfield::kBusWord);
  entry.wordAnd = fieldValue(s.wordAnd, busfield::kBusWord);
}

void addRecordsToEntries(std::vector<BlockEntry>& entries, const unsigned char* records, size_t count) {
  while (count > 0) {
    if (entries.empty() || entries.back().records == kIndexBlockRecords) entries.emplace_back();
    BlockEntry& last = entries.back();
    const size_t room = static_cast<size_t>(kIndexBlockRecords - last.records);
    const size_t take = count < room ? count : room;
    addRecordsToEntry(last, records, take);
    records += take * kBusRecordBytes;
    count -= take;
  }
}

BlockEntry summarizeBlock(const unsigned char* records, size_t count, bool portableOnly) {
  BlockEntry entry;
  addRecordsToEntry(entry, records, count, portableOnly);
  return entry;
}
