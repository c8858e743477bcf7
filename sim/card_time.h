// The simulated card's clock values and the record layout the card writes: day of year, hours,
// minutes, seconds and half-microseconds, packed as in a record's longwords 0 and 1.
#pragma once
#include <cstdint>

#include "common/local_time.h"
#include "common/record_layout.h"
#include "sim/traffic_generator.h"

// A time on the card's clock: half-microseconds since 00:00 of day 1 of a year, and that year
// modulo 4 (0 is a leap year, as the recorder counts them).
struct CardTime {
  uint64_t halfMicros = 0;
  unsigned yearMod4 = 0;
};

// 366 when yearMod4 is 0, else 365.
unsigned cardYearDays(unsigned yearMod4);

// Carries whole years out of halfMicros into yearMod4.
CardTime normaliseCardTime(CardTime time);

// Local time to the second.
CardTime cardTimeFromLocal(const LocalTime& time);

// The decimal digits of the load-time words A and B. Digits are not checked: each counts with
// its binary value; day 0 counts as day 1.
CardTime cardTimeFromWords(uint16_t wordA, uint16_t wordB);

// Longword 0 of a record (and the first latched time word). Takes a normalised time.
uint32_t cardTimeWord(const CardTime& time);

// Longword 1 of a record (and the second latched time word).
uint32_t cardFractionWord(const CardTime& time);

// Tags words with times counted from an origin and lays them out as the card stores records,
// remembering the current second so that consecutive words cost no calendar arithmetic.
struct RecordTagger {
  CardTime origin;
  uint64_t secondStart = ~uint64_t{0};  // of the cached second, counted like origin.halfMicros
  uint32_t secondWord = 0;
};

void startRecordTagger(RecordTagger& tagger, const CardTime& origin);

// The 16 record bytes (longword k little-endian at byte 4k) of `word` tagged origin +
// sinceOrigin half-microseconds. Ignored bits and the reserved longword are zero.
void encodeCardRecord(RecordTagger& tagger, uint64_t sinceOrigin, const BusWordEvent& word, unsigned char* out);
