// Time tags of records straight from their file bytes, for the passes over whole blocks.
#pragma once
#include <cstdint>

#include "common/little_endian.h"
#include "common/record_layout.h"

// A longword of a record (0 to 3) as the file holds it.
inline uint32_t recordLongword(const unsigned char* record, unsigned index) { return getLe32(record + 4 * index); }

// Caches the day-to-seconds part of the time tags: consecutive records mostly share longword 0.
struct HalfMicrosClock {
  uint32_t longword0 = 0;          // a longword 0 of all zeros is day 0, 00:00:00
  uint64_t secondsHalfMicros = 0;  // the time of longword0 in half microseconds
};

// The time tag of a record in half microseconds, equal to timeTagHalfMicrosExact of its TimeTag.
inline uint64_t recordHalfMicros(HalfMicrosClock& clock, const unsigned char* record) {
  const uint32_t lw0 = recordLongword(record, 0);
  if (lw0 != clock.longword0) {
    clock.longword0 = lw0;
    clock.secondsHalfMicros = longword0HalfMicros(lw0);
  }
  return clock.secondsHalfMicros + longword1HalfMicros(recordLongword(record, 1));
}
