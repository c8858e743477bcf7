// Records for the files tests.
#pragma once
#include <cstdint>
#include <vector>

#include "files/bus_record.h"
#include "tests/support/record_oracles.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_records.h"

// The time tag that lies `count` half microseconds after the start of day 0.
inline TimeTag tagFromHalfMicros(uint64_t count) { return testTimeTag(count); }

inline BusRecord makeRecord(const TimeTag& tag, unsigned channel, unsigned sync, unsigned flags, uint32_t word) {
  BusRecord r = testRecord({0, word, channel, sync, flags});
  for (int i = 0; i < 4; ++i) r.words[i] = tag.words[i];
  return r;
}

inline Bytes bytesOf(const std::vector<BusRecord>& records) { return dataFileBytes(records); }

// Day 123, 04:05:06, 7 ms and the given half microseconds.
inline TimeTag exampleTag(unsigned halfMicros) { return TimeTag{{0x12E4, 0x0146, 0x0007, uint16_t(halfMicros)}}; }

// The documented example record: day 123 04:05:06.0071005, J2, CMND, Py Sh, 9A5234.
inline Bytes exampleRecordBytes() {
  return {0x46, 0x01, 0xE4, 0x12, 0xC9, 0x00, 0x07, 0x00, 0x34, 0x52, 0x9A, 0x59, 0x00, 0x00, 0x00, 0x00};
}
