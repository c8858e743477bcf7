#include <gtest/gtest.h>

#include "data_file_fixtures.h"
#include "files/bus_record.h"
#include "tests/support/record_oracles.h"

namespace {

// Day, hours, minutes, seconds, ms, half microseconds, channel, sync, flags, word, exact time.
std::vector<uint64_t> fieldsOf(const BusRecord& r) {
  const TimeTag t = timeTagOf(r);
  return {dayOfYear(t),  hours(t),       minutes(t),    seconds(t), milliseconds(t), halfMicros(t),
          busChannel(r), commandSync(r), errorFlags(r), busWord(r), timeTagHalfMicrosExact(t)};
}

}  // namespace

TEST(BusRecord, DocumentedExampleAndIgnoredBits) {
  const Bytes bytes = exampleRecordBytes();
  const BusRecord record = busRecordFromBytes(bytes.data());
  EXPECT_EQ(record.words[0], 0x12E4);  // units 0 and 1 swapped
  EXPECT_EQ(record.words[4], 0x599A);
  EXPECT_EQ(fieldsOf(record), (std::vector<uint64_t>{123, 4, 5, 6, 7, 201, 1, 1, kErrorPy | kErrorSh, 0x9A5234,
                                                     21283812014201ull}));
  EXPECT_EQ(timeTagMicros(timeTagOf(record)), 10641906007100.5);
  unsigned char back[16];
  busRecordToBytes(record, back);
  EXPECT_EQ(Bytes(back, back + 16), bytes);

  // Bits no field uses, and the reserved words, change no field.
  const uint16_t ignored[8] = {0xC000, 0xF000, 0xFC00, 0xF800, 0x2000, 0, 0xFFFF, 0xFFFF};
  for (int i = 0; i < 8; ++i) {
    BusRecord noisy = record;
    noisy.words[i] |= ignored[i];
    EXPECT_EQ(fieldsOf(noisy), fieldsOf(record)) << "word " << i;
  }
}

TEST(BusRecord, TimeFormsAreExactAcrossTheWholeFieldRange) {
  struct Case {
    uint16_t w0, w1, w2, w3;
    uint64_t halfMicros;
  };
  const uint64_t dayHalf = 2ull * 86400 * 1000000;
  const Case cases[] = {
      {0, 0, 0, 1, 1},
      {0, 0, 1, 0, 2000},
      {0, 1, 0, 0, 2000000},
      {0, 1 << 6, 0, 0, 120000000},
      {1, 0, 0, 0, 7200000000ull},
      {1 << 5, 0, 0, 0, dayHalf},
      {1 << 12, 0, 0, 0, 100 * dayHalf},
      // Out-of-range values take the same formula: day 427, 31 h, 63 min, 63 s, 1023 ms, 2047.
      {0x3FFF, 0x0FFF, 0x03FF, 0x07FF,
       427 * dayHalf + 31 * 7200000000ull + 63 * 120000000ull + 63 * 2000000ull + 1023 * 2000ull + 2047},
  };
  for (const Case& c : cases) {
    const TimeTag tag{{c.w0, c.w1, c.w2, c.w3}};
    EXPECT_EQ(timeTagHalfMicrosExact(tag), c.halfMicros) << c.w0 << " " << c.w1 << " " << c.w2 << " " << c.w3;
    EXPECT_EQ(timeTagHalfMicros(tag), static_cast<double>(c.halfMicros));
    EXPECT_EQ(timeTagMicros(tag), static_cast<double>(c.halfMicros) * 0.5);
  }
}

TEST(BusRecord, ReadDeliversWholeUnitsAndOnlyEightMakeARecord) {
  TempFolder folder;
  Bytes bytes = exampleRecordBytes();
  bytes.insert(bytes.end(), {1, 2, 3, 4, 5});  // a record, then two whole units and one byte
  writeBytes(folder.file("r.qel"), bytes);
  FILE* file = std::fopen(folder.file("r.qel").c_str(), "rb");
  ASSERT_NE(file, nullptr);
  BusRecord record{};
  EXPECT_EQ(readBusRecord(file, record), 8u);
  EXPECT_EQ(busWord(record), 0x9A5234u);
  EXPECT_EQ(readBusRecord(file, record), 2u);
  EXPECT_EQ(readBusRecord(file, record), 0u);
  std::fclose(file);
}
