// The Chapter 10 export read back by a strict reader of the project's own.
#include <gtest/gtest.h>

#include "chapter10_reader.h"
#include "export/chapter10_writer.h"
#include "export_fixtures.h"
#include "sim/generated_data_file.h"
#include "tests/support/sim_support.h"

constexpr uint64_t kSecond = halfMicrosAt(0, 0, 0, 1), kDay = halfMicrosAt(1, 0, 0, 0);

namespace {

struct Export {
  Bytes file;
  Chapter10Counts counts;
  StatusCode status = StatusCode::Success;
};

Export exportFile(const std::string& path) {
  Export e;
  e.status = exportChapter10(path, RecordSelection{}, "TEST.QEL", memorySink(e.file), e.counts);
  return e;
}

// Each bus channel's words must be its records in file order, with their sync kind, flags, word
// and time; every word must follow the time packet that dates it by less than a second.
void expectSameWords(const Bytes& data, const Ch10Reading& reading) {
  std::vector<Ch10Word> byChannel[4];
  for (const Ch10Word& w : reading.words) {
    ASSERT_GE(w.channel, 11);
    ASSERT_LE(w.channel, 14);
    byChannel[w.channel - 11].push_back(w);
    EXPECT_GE(w.sinceTimePacket, 0);
    EXPECT_LT(w.sinceTimePacket, 10000000);
  }
  size_t next[4] = {};
  for (size_t at = 0; at + kBusRecordBytes <= data.size(); at += kBusRecordBytes) {
    const BusRecord r = busRecordFromBytes(&data[at]);
    const unsigned bus = busChannel(r);
    ASSERT_LT(next[bus], byChannel[bus].size()) << "record " << at / 16 + 1 << " missing";
    const Ch10Word& w = byChannel[bus][next[bus]++];
    EXPECT_EQ(w.message, busWord(r) | errorFlags(r) << 24 | commandSync(r) << 28) << "record " << at / 16 + 1;
    EXPECT_EQ(w.subchannel, commandSync(r));
    EXPECT_EQ(w.dataError, errorFlags(r) != 0);
    EXPECT_FALSE(w.formatError);
    EXPECT_EQ(w.time, static_cast<int64_t>(5 * timeTagHalfMicrosExact(timeTagOf(r)))) << "record " << at / 16 + 1;
  }
  for (int bus = 0; bus < 4; ++bus) EXPECT_EQ(next[bus], byChannel[bus].size()) << "extra words on J" << bus + 1;
}

}  // namespace

// Generated traffic of several rates and sizes (the fastest fills packets to their word limit),
// one record, an empty file, and time that breaks: the turn of the year, a step backwards, equal
// times, a ten-minute silence and a jump of two hours.
TEST(Chapter10Export, EveryWordComesBackWithItsTime) {
  const uint64_t day365 = 365 * kDay;
  const uint64_t yearEnd = day365 + kDay - 3;  // 23:59:59.9999985
  const std::vector<BusRecord> breaks = {
      testRecord({yearEnd - 2000, 0x800001, 0, 1, 0}),
      testRecord({yearEnd, 0x000002, 1, 0, 0}),
      testRecord({kDay + 1, 0x123456, 2, 0, kErrorPy}),  // day 1: the turn of the year
      testRecord({kDay + 61, 0xFFFFFF, 3, 1, 0xF}),
      testRecord({kDay + 41, 0x000000, 0, 0, kErrorSh}),  // 10 us backwards
      testRecord({kDay + 41, 0xABCDEF, 1, 1, 0}),         // the same time
      testRecord({kDay + 41 + 600 * kSecond, 0x5A5A5A, 2, 0, 0}),
      testRecord({kDay + 41 + 7800 * kSecond, 0x0F0F0F, 3, 0, kErrorMn}),  // 2 h ahead
      testRecord({kDay + 42 + 7800 * kSecond, 0x00FF00, 0, 1, 0}),
  };
  struct Case {
    const char* name;
    uint32_t rate;  // generated traffic, or 0 for `records`
    uint64_t count;
    std::vector<BusRecord> records;
    uint64_t restarts;  // new time packets for time that broke
  };
  const Case cases[] = {
      {"20000 words/s", 20000, 50000, {}, 1},  // 2.5 s from 23:59:58 on the last day of the year
      {"300 words/s", 300, 1500, {}, 1},
      {"1000000 words/s", 1000000, 120000, {}, 0},
      {"empty", 0, 0, {}, 0},
      {"time breaks", 0, 0, breaks, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    const std::string path = folder.file("data.qel");
    if (c.rate != 0) {
      TrafficConfig traffic;
      traffic.wordsPerSecond = c.rate;
      traffic.errorOneIn = 50;
      ASSERT_EQ(writeGeneratedRecords(path.c_str(), traffic, c.count, LocalTime{2024, 12, 31, 23, 59, 58}),
                StatusCode::Success);
    } else {
      writeBytes(path, dataFileBytes(c.records));
    }
    const Bytes data = readBytes(path);
    const Export e = exportFile(path);
    ASSERT_EQ(e.status, StatusCode::Success);
    const Ch10Reading reading = readChapter10(e.file);
    ASSERT_EQ(reading.fault, "") << "at byte " << reading.faultOffset;
    expectSameWords(data, reading);
    EXPECT_EQ(e.counts.records, data.size() / kBusRecordBytes);
    EXPECT_EQ(e.counts.timeRestarts, c.restarts);
    EXPECT_EQ(reading.channelTypes.size(), 5u);
    EXPECT_LE(reading.largestPacket, 65568u);
  }
}

TEST(Chapter10Export, SaysWhenADayDoesNotFitTheTimePacket) {
  TempFolder folder;
  BusRecord r = testRecord({0, 1, 0, 0, 0});
  r.words[0] = 0x3FE0;  // day 427: dayHundreds 3, dayLow 127
  writeBytes(folder.file("late.qel"), dataFileBytes({r}));
  const Export e = exportFile(folder.file("late.qel"));
  EXPECT_EQ(e.counts.daysOutOfRange, 1u);
  EXPECT_EQ(readChapter10(e.file).fault, "");
}

// The leap-year indication of the time packet that dates each word: set from day 366 on (the reader
// refuses a day 366 without it) until the turn of the year; days before 366 could not know it.
TEST(Chapter10Export, DayThreeSixtySixIsMarkedALeapYear) {
  struct Case {
    const char* name;
    std::vector<TestRecord> records;
    std::vector<bool> leap;  // of each word, in file order (one bus)
  };
  const uint64_t d366 = 366 * kDay, d365 = 365 * kDay;
  const Case cases[] = {
      {"starts on day 366, turns the year",
       {{d366 + 2 * kSecond}, {d366 + 3 * kSecond}, {kDay + 4 * kSecond}, {kDay + 5 * kSecond}},
       {true, true, false, false}},
      {"reaches day 366, steps back on it",
       {{d365 + 86399 * kSecond}, {d366}, {d366 + 3 * kSecond}, {d366 + kSecond}},
       {false, true, true, true}},
      {"no day 366", {{d365}, {kDay}}, {false, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    writeDataFile(folder.file("d.qel"), testRecords(c.records));
    const Export e = exportFile(folder.file("d.qel"));
    const Ch10Reading reading = readChapter10(e.file);
    ASSERT_EQ(reading.fault, "");
    ASSERT_EQ(reading.words.size(), c.leap.size());
    for (size_t i = 0; i < c.leap.size(); ++i) EXPECT_EQ(reading.words[i].leapYear, c.leap[i]) << "word " << i;
  }
}
