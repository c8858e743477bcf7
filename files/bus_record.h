// The 16-byte BusRecord of a data file and its time tag.
//
// File order: eight little-endian 16-bit units. Swapping each pair (0<->1, 2<->3, ...) gives the
// record words 0-7, whose fields are read with masks and shifts below. No bit-field structs: the
// Windows and Linux builds must agree byte for byte.
#pragma once
#include <cstdint>

#include "common/record_layout.h"

constexpr unsigned kBusRecordBytes = 16;
constexpr unsigned kBusRecordUnits = 8;

// Record words 0-7 after the pair swap.
struct BusRecord {
  uint16_t words[8];
};

// Record words 0-3 of a BusRecord.
struct TimeTag {
  uint16_t words[4];
};

// Every gap shown or searched for is the difference of two time tags less this.
constexpr double GapOffsetMicros = 28.0;
constexpr unsigned kGapOffsetHalfMicros = 56;  // the same in half microseconds
static_assert(kGapOffsetHalfMicros == 2 * GapOffsetMicros, "one offset in two units");

// The record held by 16 file bytes.
BusRecord busRecordFromBytes(const unsigned char* bytes);

inline TimeTag timeTagOf(const BusRecord& r) { return TimeTag{{r.words[0], r.words[1], r.words[2], r.words[3]}}; }

// The longwords of a record (see common/record_layout.h for their fields).
inline uint32_t longword0Of(const TimeTag& t) { return (uint32_t(t.words[0]) << 16) | t.words[1]; }
inline uint32_t longword1Of(const TimeTag& t) { return (uint32_t(t.words[2]) << 16) | t.words[3]; }
inline uint32_t longword2Of(const BusRecord& r) { return (uint32_t(r.words[4]) << 16) | r.words[5]; }

// Time-tag fields.
inline unsigned hours(const TimeTag& t) { return fieldValue(longword0Of(t), tagfield::kHours); }
inline unsigned dayLow(const TimeTag& t) { return fieldValue(longword0Of(t), tagfield::kDayLow); }
inline unsigned dayHundreds(const TimeTag& t) { return fieldValue(longword0Of(t), tagfield::kDayHundreds); }
inline unsigned seconds(const TimeTag& t) { return fieldValue(longword0Of(t), tagfield::kSeconds); }
inline unsigned minutes(const TimeTag& t) { return fieldValue(longword0Of(t), tagfield::kMinutes); }
inline unsigned milliseconds(const TimeTag& t) { return fieldValue(longword1Of(t), tagfield::kMilliseconds); }
inline unsigned halfMicros(const TimeTag& t) { return fieldValue(longword1Of(t), tagfield::kHalfMicros); }
inline unsigned dayOfYear(const TimeTag& t) { return 100u * dayHundreds(t) + dayLow(t); }

// Bus-word fields.
inline uint32_t busWord(const BusRecord& r) { return fieldValue(longword2Of(r), busfield::kBusWord); }
inline unsigned errorFlags(const BusRecord& r) { return fieldValue(longword2Of(r), busfield::kErrorFlags); }
inline unsigned commandSync(const BusRecord& r) { return fieldValue(longword2Of(r), busfield::kCommandSync); }
inline unsigned busChannel(const BusRecord& r) { return fieldValue(longword2Of(r), busfield::kBusChannel); }

// Error flag bits within errorFlags.
constexpr unsigned kErrorSh = 0x1, kErrorLg = 0x2, kErrorMn = 0x4, kErrorPy = 0x8;

// The time since the start of day 0 in half microseconds, exact as an integer.
uint64_t timeTagHalfMicrosExact(const TimeTag& tag);
