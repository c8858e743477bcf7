#include <gtest/gtest.h>

#include "data_file_fixtures.h"
#include "files/bus_record.h"

namespace {

struct Fields {
  unsigned day, hours, minutes, seconds, milliseconds, halfMicros, channel, sync, flags;
  uint32_t busWord;
};

Fields fieldsOf(const BusRecord& r) {
  const TimeTag t = timeTagOf(r);
  return {dayOfYear(t), hours(t), minutes(t), seconds(t), milliseconds(t), halfMicros(t),
          busChannel(r), commandSync(r), errorFlags(r), busWord(r)};
}

void expectSameFields(const Fields& a, const Fields& b, const char* what) {
  EXPECT_EQ(a.day, b.day) << what;
  EXPECT_EQ(a.hours, b.hours) << what;
  EXPECT_EQ(a.minutes, b.minutes) << what;
  EXPECT_EQ(a.seconds, b.seconds) << what;
  EXPECT_EQ(a.milliseconds, b.milliseconds) << what;
  EXPECT_EQ(a.halfMicros, b.halfMicros) << what;
  EXPECT_EQ(a.channel, b.channel) << what;
  EXPECT_EQ(a.sync, b.sync) << what;
  EXPECT_EQ(a.flags, b.flags) << what;
  EXPECT_EQ(a.busWord, b.busWord) << what;
}

}  // namespace

TEST(BusRecord, DocumentedExampleBytesGiveEveryFieldAndBothTimeForms) {
  const Bytes bytes = exampleRecordBytes();
  const BusRecord record = busRecordFromBytes(bytes.data());
  const uint16_t words[8] = {0x12E4, 0x0146, 0x0007, 0x00C9, 0x599A, 0x5234, 0x0000, 0x0000};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(record.words[i], words[i]) << "record word " << i;

  const TimeTag tag = timeTagOf(record);
  EXPECT_EQ(dayHundreds(tag), 1u);
  EXPECT_EQ(dayLow(tag), 23u);
  expectSameFields(fieldsOf(record), {123, 4, 5, 6, 7, 201, 1, 1, kErrorPy | kErrorSh, 0x9A5234}, "example");
  EXPECT_EQ(timeTagHalfMicrosExact(tag), 21283812014201ull);
  EXPECT_EQ(timeTagHalfMicros(tag), 21283812014201.0);
  EXPECT_EQ(timeTagMicros(tag), 10641906007100.5);

  unsigned char back[16];
  busRecordToBytes(record, back);
  EXPECT_EQ(Bytes(back, back + 16), bytes);
}

TEST(BusRecord, TimeFormsAreExactAcrossTheWholeFieldRange) {
  struct Case {
    uint16_t w0, w1, w2, w3;
    uint64_t halfMicros;
  };
  const uint64_t dayHalf = 2ull * 86400 * 1000000;
  const Case cases[] = {
      {0, 0, 0, 0, 0},
      {0, 0, 0, 1, 1},
      {0, 0, 1, 0, 2000},
      {0, 1, 0, 0, 2000000},
      {0, 1 << 6, 0, 0, 120000000},
      {1, 0, 0, 0, 7200000000ull},
      {1 << 5, 0, 0, 0, dayHalf},
      {1 << 12, 0, 0, 0, 100 * dayHalf},
      // Out-of-range values are converted by the same formula: day 427, 31 h, 63 min, 63 s,
      // 1023 ms, 2047 half microseconds.
      {0x3FFF, 0x0FFF, 0x03FF, 0x07FF,
       427 * dayHalf + 31 * 7200000000ull + 63 * 120000000ull + 63 * 2000000ull + 1023 * 2000ull + 2047},
  };
  for (const Case& c : cases) {
    const TimeTag tag{{c.w0, c.w1, c.w2, c.w3}};
    EXPECT_EQ(timeTagHalfMicrosExact(tag), c.halfMicros) << c.w0 << " " << c.w1 << " " << c.w2 << " " << c.w3;
    EXPECT_EQ(timeTagHalfMicros(tag), static_cast<double>(c.halfMicros));
    EXPECT_EQ(timeTagMicros(tag), static_cast<double>(c.halfMicros) * 0.5);
  }
  // The half-microsecond bit: 1 apart in the half form, 0.5 in the microsecond form.
  EXPECT_EQ(timeTagMicros(exampleTag(201)) - timeTagMicros(exampleTag(200)), 0.5);
}

TEST(BusRecord, IgnoredBitsAndReservedWordsChangeNoField) {
  const Bytes bytes = exampleRecordBytes();
  const BusRecord plain = busRecordFromBytes(bytes.data());
  struct Case {
    int word;
    uint16_t bits;
  };
  const Case cases[] = {{0, 0xC000}, {1, 0xF000}, {2, 0xFC00}, {3, 0xF800}, {4, 0x2000}, {6, 0xFFFF}, {7, 0xFFFF}};
  for (const Case& c : cases) {
    BusRecord noisy = plain;
    noisy.words[c.word] |= c.bits;
    expectSameFields(fieldsOf(noisy), fieldsOf(plain), "ignored bits");
    EXPECT_EQ(timeTagHalfMicrosExact(timeTagOf(noisy)), timeTagHalfMicrosExact(timeTagOf(plain))) << c.word;
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
