// Where each field sits in the first three longwords of a bus record. The card's time words, the
// records it stores, the card model and every reader of data files share this layout.
//
// Longword n of a record is its bytes 4n to 4n+3, little-endian; record word 2n is the upper half
// of longword n and record word 2n+1 the lower half.
#pragma once
#include <cstdint>

// A field of a longword: its value is (longword >> shift) & mask.
struct LongwordField {
  unsigned shift;
  uint32_t mask;
};

constexpr uint32_t fieldValue(uint32_t longword, LongwordField field) { return (longword >> field.shift) & field.mask; }

// The value cut to the field's width and put in its place.
constexpr uint32_t fieldBits(LongwordField field, uint32_t value) { return (value & field.mask) << field.shift; }

// The bits of the longword that the field occupies.
constexpr uint32_t fieldPlace(LongwordField field) { return field.mask << field.shift; }

namespace tagfield {
// Longword 0: the day of the year and the time of day to the second. Bit 31 is set in the card's
// first time word while no IRIG-B signal is present.
constexpr LongwordField kDayHundreds{28, 0x3};
constexpr LongwordField kDayLow{21, 0x7F};  // the day less its hundreds
constexpr LongwordField kHours{16, 0x1F};
constexpr LongwordField kMinutes{6, 0x3F};
constexpr LongwordField kSeconds{0, 0x3F};
constexpr uint32_t kNoSignal = 0x80000000u;

// Longword 1: the time within the second.
constexpr LongwordField kMilliseconds{16, 0x3FF};
constexpr LongwordField kHalfMicros{0, 0x7FF};  // within the millisecond
}  // namespace tagfield

namespace busfield {
// Longword 2: the bus word and how it came.
constexpr LongwordField kBusWord{0, 0xFFFFFF};
constexpr LongwordField kErrorFlags{24, 0xF};  // Sh, Lg, Mn, Py from bit 24 up
constexpr LongwordField kCommandSync{28, 0x1};
constexpr LongwordField kBusChannel{30, 0x3};  // 0 to 3 for J1 to J4
}  // namespace busfield

// The units of the time tags.
constexpr uint64_t kHalfMicrosPerMillisecond = 2000;
constexpr uint64_t kHalfMicrosPerSecond = 1000 * kHalfMicrosPerMillisecond;
constexpr uint64_t kHalfMicrosPerHour = 3600 * kHalfMicrosPerSecond;
constexpr uint64_t kHalfMicrosPerDay = 24 * kHalfMicrosPerHour;

// Longword 0 of a time on day `day` of the year (0 to 399 fit), to the second.
constexpr uint32_t timeTagLongword0(uint32_t day, uint32_t hours, uint32_t minutes, uint32_t seconds) {
  return fieldBits(tagfield::kDayHundreds, day / 100) | fieldBits(tagfield::kDayLow, day % 100) |
         fieldBits(tagfield::kHours, hours) | fieldBits(tagfield::kMinutes, minutes) |
         fieldBits(tagfield::kSeconds, seconds);
}

// Longword 1 of a time `withinSecond` half microseconds into its second.
constexpr uint32_t timeTagLongword1(uint32_t withinSecond) {
  return fieldBits(tagfield::kMilliseconds, withinSecond / kHalfMicrosPerMillisecond) |
         fieldBits(tagfield::kHalfMicros, withinSecond % kHalfMicrosPerMillisecond);
}

// The time of a longword 0 since the start of day 0, in half microseconds.
constexpr uint64_t longword0HalfMicros(uint32_t lw0) {
  const uint64_t days = 100u * fieldValue(lw0, tagfield::kDayHundreds) + fieldValue(lw0, tagfield::kDayLow);
  const uint64_t secondsOfDay = 3600u * fieldValue(lw0, tagfield::kHours) + 60u * fieldValue(lw0, tagfield::kMinutes) +
                                fieldValue(lw0, tagfield::kSeconds);
  return days * kHalfMicrosPerDay + secondsOfDay * kHalfMicrosPerSecond;
}

// The time within the second of a longword 1 in half microseconds: milliseconds x 2000 + halfMicros.
constexpr uint32_t longword1HalfMicros(uint32_t lw1) {
  return static_cast<uint32_t>(kHalfMicrosPerMillisecond) * fieldValue(lw1, tagfield::kMilliseconds) +
         fieldValue(lw1, tagfield::kHalfMicros);
}

// Longword 2 of a bus word received on a channel.
constexpr uint32_t busLongword(uint32_t channel, uint32_t commandSync, uint32_t errorFlags, uint32_t busWord) {
  return fieldBits(busfield::kBusChannel, channel) | fieldBits(busfield::kCommandSync, commandSync) |
         fieldBits(busfield::kErrorFlags, errorFlags) | fieldBits(busfield::kBusWord, busWord);
}
