// Records and data files for every test, built from the record layout alone (longword view:
// longword 0 day/hours/minutes/seconds, 1 milliseconds/half microseconds, 2 channel/sync/error
// flags/bus word, 3 reserved; each longword little-endian) and not from the product's record code,
// so that the tests check that code instead of repeating it.
//
//   const BusRecord r = testRecord({halfMicrosAt(123, 4, 5, 6, 7, 201), 0x9A5234, 1, 1, kErrorPy | kErrorSh});
//   writeDataFile(folder.file("a.qel"), {r, ...}, 5);   // five bytes of a cut-off record at the end
//   writeDataFile(path, testRecords({{0, 0x123456}, {halfMicrosAt(1, 0, 0, 0), 7, 3, 1, kErrorMn}}));
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "files/bus_record.h"
#include "tests/support/temp_folder.h"

// Day of year (0-399), hours, minutes, seconds, milliseconds and half microseconds as the number
// of half microseconds since the start of day 0: the time form every builder here takes.
constexpr uint64_t halfMicrosAt(unsigned day, unsigned hours, unsigned minutes, unsigned seconds,
                                unsigned milliseconds = 0, unsigned halfMicros = 0) {
  return ((uint64_t{day} * 86400 + hours * 3600u + minutes * 60u + seconds) * 1000 + milliseconds) * 2000 +
         halfMicros;
}

// One record's fields.
struct TestRecord {
  uint64_t halfMicros = 0;   // since the start of day 0 (see halfMicrosAt)
  uint32_t word = 0;         // the 24-bit bus word
  unsigned channel = 0;      // 0-3 for J1-J4
  unsigned sync = 0;         // 1 for a command word
  unsigned errors = 0;       // kErrorSh | kErrorLg | kErrorMn | kErrorPy
  bool ignoredBits = false;  // also set every bit no field uses, which every reader must ignore
};

// The record as record words (word 2k is the high half of longword k, 2k + 1 its low half).
inline BusRecord testRecord(const TestRecord& r) {
  const uint64_t ms = r.halfMicros / 2000, s = ms / 1000, day = s / 86400, ofDay = s % 86400;
  uint32_t longwords[4] = {static_cast<uint32_t>((day / 100) << 28 | (day % 100) << 21 | (ofDay / 3600) << 16 |
                                                 (ofDay / 60 % 60) << 6 | ofDay % 60),
                           static_cast<uint32_t>((ms % 1000) << 16 | r.halfMicros % 2000),
                           r.channel << 30 | r.sync << 28 | r.errors << 24 | (r.word & 0xFFFFFFu), 0};
  if (r.ignoredBits) {
    const uint32_t unused[4] = {0xC000F000u, 0xFC00F800u, 0x20000000u, 0xFFFFA5A5u};
    for (int i = 0; i < 4; ++i) longwords[i] |= unused[i];
  }
  BusRecord record{};
  for (int k = 0; k < 4; ++k) {
    record.words[2 * k] = static_cast<uint16_t>(longwords[k] >> 16);
    record.words[2 * k + 1] = static_cast<uint16_t>(longwords[k] & 0xFFFF);
  }
  return record;
}

inline std::vector<BusRecord> testRecords(const std::vector<TestRecord>& fields) {
  std::vector<BusRecord> records;
  for (const TestRecord& f : fields) records.push_back(testRecord(f));
  return records;
}

// A record's 16 file bytes: each longword little-endian.
inline void testRecordBytes(const BusRecord& r, unsigned char* bytes) {
  for (int k = 0; k < 4; ++k) {
    const uint32_t longword = uint32_t{r.words[2 * k]} << 16 | r.words[2 * k + 1];
    for (int b = 0; b < 4; ++b) bytes[4 * k + b] = static_cast<unsigned char>(longword >> (8 * b));
  }
}

// The bytes of a data file holding these records, then `partial` bytes (0xFF) of a record cut off.
inline Bytes dataFileBytes(const std::vector<BusRecord>& records, size_t partial = 0) {
  Bytes bytes(records.size() * kBusRecordBytes + partial, 0xFF);
  for (size_t i = 0; i < records.size(); ++i) testRecordBytes(records[i], &bytes[i * kBusRecordBytes]);
  return bytes;
}

// Writes dataFileBytes(records, partial) to `path`; false when that fails.
inline bool writeDataFile(const std::string& path, const std::vector<BusRecord>& records, size_t partial = 0) {
  return writeBytes(path, dataFileBytes(records, partial));
}
