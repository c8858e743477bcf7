// Records read from file bytes and their time tags.
#include <gtest/gtest.h>

#include <vector>

#include "files/bus_record.h"
#include "tests/support/test_records.h"

// Records built from fields across their ranges (every bit no field uses set in some), the first
// the documented example byte for byte, read back field by field.
TEST(BusRecord, FieldsFromFileBytes) {
  const Bytes example = {0x46, 0x01, 0xE4, 0x12, 0xC9, 0x00, 0x07, 0x00, 0x34, 0x52, 0x9A, 0x59, 0, 0, 0, 0};

  struct Case {
    unsigned day, hours, minutes, seconds, ms, half, channel, sync, errors;
    uint32_t word;
    bool ignoredBits;
  };
  const Case cases[] = {
      {123, 4, 5, 6, 7, 201, 1, 1, kErrorPy | kErrorSh, 0x9A5234, false},  // the documented example
      {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, true},
      {399, 23, 59, 59, 999, 1999, 3, 1, 0xF, 0xFFFFFF, false},
      {199, 12, 34, 56, 500, 1, 2, 0, kErrorMn, 0x800001, true},
      {7, 1, 59, 1, 1, 1000, 0, 1, kErrorLg, 0x7FFFFE, true},
  };
  for (const Case& c : cases) {
    const uint64_t time = halfMicrosAt(c.day, c.hours, c.minutes, c.seconds, c.ms, c.half);
    const Bytes bytes = dataFileBytes({testRecord({time, c.word, c.channel, c.sync, c.errors, c.ignoredBits})});
    if (&c == cases) {
      EXPECT_EQ(bytes, example);
    }
    const BusRecord r = busRecordFromBytes(bytes.data());
    const TimeTag t = timeTagOf(r);
    const std::vector<uint64_t> fields = {dayOfYear(t),  hours(t),       minutes(t),    seconds(t), milliseconds(t),
                                          halfMicros(t), busChannel(r), commandSync(r), errorFlags(r), busWord(r),
                                          timeTagHalfMicrosExact(t)};
    EXPECT_EQ(fields, (std::vector<uint64_t>{c.day, c.hours, c.minutes, c.seconds, c.ms, c.half, c.channel, c.sync,
                                             c.errors, c.word, time}))
        << "case " << &c - cases;
  }
  // Fields beyond their ranges take the same formula: day 427, 31 h, 63 min, 63 s, 1023 ms, 2047.
  EXPECT_EQ(timeTagHalfMicrosExact(TimeTag{{0x3FFF, 0x0FFF, 0x03FF, 0x07FF}}),
            halfMicrosAt(427, 31, 63, 63, 1023, 2047));
}
