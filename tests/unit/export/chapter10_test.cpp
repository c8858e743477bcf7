// The Chapter 10 export read back by a strict reader of the project's own.
#include <gtest/gtest.h>

#include <functional>

#include "chapter10_reader.h"
#include "export/chapter10_writer.h"
#include "export_fixtures.h"
#include "sim/generated_data_file.h"
#include "tests/support/sim_support.h"

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
  const uint64_t day365 = 365 * kHalfMicrosPerDay;
  const uint64_t yearEnd = day365 + kHalfMicrosPerDay - 3;  // 23:59:59.9999985
  const std::vector<BusRecord> breaks = {
      recordAt(yearEnd - 2000, 0, 1, 0, 0x800001), recordAt(yearEnd, 1, 0, 0, 0x000002),
      recordAt(kHalfMicrosPerDay + 1, 2, 0, kErrorPy, 0x123456),  // day 1: the turn of the year
      recordAt(kHalfMicrosPerDay + 61, 3, 1, 0xF, 0xFFFFFF),
      recordAt(kHalfMicrosPerDay + 41, 0, 0, kErrorSh, 0x000000),  // 10 us backwards
      recordAt(kHalfMicrosPerDay + 41, 1, 1, 0, 0xABCDEF),         // the same time
      recordAt(kHalfMicrosPerDay + 41 + 600 * kHalfMicrosPerSecond, 2, 0, 0, 0x5A5A5A),
      recordAt(kHalfMicrosPerDay + 41 + 7800 * kHalfMicrosPerSecond, 3, 0, kErrorMn, 0x0F0F0F),  // 2 h ahead
      recordAt(kHalfMicrosPerDay + 42 + 7800 * kHalfMicrosPerSecond, 0, 1, 0, 0x00FF00),
  };
  struct Case {
    const char* name;
    uint32_t rate;      // generated traffic, or 0 for `records`
    uint64_t count;
    std::vector<BusRecord> records;
    uint64_t restarts;  // new time packets for time that broke
  };
  const Case cases[] = {
      {"20000 words/s", 20000, 50000, {}, 1},  // 2.5 s from 23:59:58 on the last day of the year
      {"300 words/s", 300, 1500, {}, 1},
      {"1000000 words/s", 1000000, 120000, {}, 0},
      {"one record", 0, 0, {recordAt(123 * kHalfMicrosPerDay + 201, 1, 1, 9, 0x9A5234)}, 0},
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
      writeBytes(path, bytesOf(c.records));
    }
    const Bytes data = readBytes(path);
    const Export e = exportFile(path);
    ASSERT_EQ(e.status, StatusCode::Success);
    const Ch10Reading reading = readChapter10(e.file);
    ASSERT_EQ(reading.fault, Ch10Fault::None) << "at byte " << reading.faultOffset;
    expectSameWords(data, reading);
    EXPECT_EQ(e.counts.records, data.size() / kBusRecordBytes);
    EXPECT_EQ(e.counts.timeRestarts, c.restarts);
    EXPECT_EQ(reading.packets.front().dataType, 0x01);
    EXPECT_EQ(reading.channelTypes.size(), 5u);
    for (const Ch10Packet& p : reading.packets) EXPECT_LE(p.length, 65568u);
  }
}

TEST(Chapter10Export, SaysWhenADayDoesNotFitTheTimePacket) {
  TempFolder folder;
  BusRecord r = recordAt(0, 0, 0, 0, 1);
  r.words[0] = 0x3FE0;  // day 427: dayHundreds 3, dayLow 127
  writeBytes(folder.file("late.qel"), bytesOf({r}));
  const Export e = exportFile(folder.file("late.qel"));
  EXPECT_EQ(e.counts.daysOutOfRange, 1u);
  EXPECT_EQ(readChapter10(e.file).fault, Ch10Fault::None);
}

// The reader turns every kind of damage away; each damage keeps every other rule intact.
TEST(Chapter10Reader, RejectsEachKindOfDamage) {
  TempFolder folder;
  std::vector<BusRecord> records;
  for (uint64_t i = 0; i < 60; ++i) {
    records.push_back(recordAt(10 * kHalfMicrosPerDay + i * 80000, static_cast<unsigned>(i % 2), i % 5 == 0, 0,
                               static_cast<uint32_t>(i)));
  }
  writeBytes(folder.file("data.qel"), bytesOf(records));
  const Bytes valid = exportFile(folder.file("data.qel")).file;
  const Ch10Reading reading = readChapter10(valid);
  ASSERT_EQ(reading.fault, Ch10Fault::None);

  // The n-th packet of a data type.
  const auto packet = [&reading](uint8_t type, size_t n) {
    for (const Ch10Packet& p : reading.packets) {
      if (p.dataType == type && n-- == 0) return p;
    }
    ADD_FAILURE() << "no such packet";
    return reading.packets.front();
  };
  const auto fixHeader = [](Bytes& f, size_t at) {
    const uint16_t sum = ch10HeaderSum(&f[at]);
    f[at + 22] = static_cast<unsigned char>(sum);
    f[at + 23] = static_cast<unsigned char>(sum >> 8);
  };
  const auto fixData = [](Bytes& f, const Ch10Packet& p) {
    const uint32_t sum = ch10LongwordSum(&f[p.offset + 24], p.length - 28);
    for (int i = 0; i < 4; ++i) f[p.offset + p.length - 4 + i] = static_cast<unsigned char>(sum >> (8 * i));
  };
  const Ch10Packet time0 = packet(0x11, 0), data1 = packet(0x30, 1), data2 = packet(0x30, 2);

  struct Case {
    const char* name;
    std::function<void(Bytes&)> damage;
    Ch10Fault fault;
  };
  const Case cases[] = {
      {"sync pattern", [&](Bytes& f) { f[data1.offset] ^= 0x01; }, Ch10Fault::SyncPattern},
      {"header checksum", [&](Bytes& f) { f[data1.offset + 16] ^= 0x01; }, Ch10Fault::HeaderChecksum},
      {"packet length not a multiple of 4",
       [&](Bytes& f) { f[data1.offset + 4] += 2; fixHeader(f, data1.offset); }, Ch10Fault::Length},
      {"packet length 4 too long",
       [&](Bytes& f) { f[data1.offset + 4] += 4; fixHeader(f, data1.offset); }, Ch10Fault::Length},
      {"data length 1 too long",
       [&](Bytes& f) { f[data1.offset + 8] += 1; fixHeader(f, data1.offset); }, Ch10Fault::Length},
      {"data length 4 too short",
       [&](Bytes& f) { f[data1.offset + 8] -= 4; fixHeader(f, data1.offset); }, Ch10Fault::Length},
      {"filler not zero",
       [&](Bytes& f) { f[time0.offset + 34] = 1; fixData(f, time0); }, Ch10Fault::Filler},
      {"data checksum", [&](Bytes& f) { f[data1.offset + 40] ^= 0x10; }, Ch10Fault::DataChecksum},
      {"sequence number",
       [&](Bytes& f) { f[data2.offset + 13] += 1; fixHeader(f, data2.offset); }, Ch10Fault::Sequence},
      {"a packet left out",
       [&](Bytes& f) { f.erase(f.begin() + data2.offset, f.begin() + data2.offset + data2.length); },
       Ch10Fault::Sequence},
      {"file cut short", [&](Bytes& f) { f.resize(f.size() - 8); }, Ch10Fault::Truncated},
      {"time digit out of range",
       [&](Bytes& f) { f[time0.offset + 28] = 0x0A; fixData(f, time0); }, Ch10Fault::TimeBody},
      {"message count",
       [&](Bytes& f) { f[data1.offset + 24] += 1; fixData(f, data1); }, Ch10Fault::MessageLayout},
      {"undeclared channel",
       [&](Bytes& f) { f[data1.offset + 2] = 99; fixHeader(f, data1.offset); }, Ch10Fault::UndeclaredChannel},
      {"data before the first time packet",
       [&](Bytes& f) { f.erase(f.begin() + time0.offset, f.begin() + time0.offset + time0.length); },
       Ch10Fault::TimeMissing},
      {"time stamp before the packet's counter",
       [&](Bytes& f) { f[data1.offset + 20] += 1; fixHeader(f, data1.offset); }, Ch10Fault::IntraPacketTime},
      {"no setup record first",
       [&](Bytes& f) { f.erase(f.begin(), f.begin() + reading.packets[0].length); }, Ch10Fault::SetupRecord},
  };
  for (const Case& c : cases) {
    Bytes damaged = valid;
    c.damage(damaged);
    EXPECT_EQ(readChapter10(damaged).fault, c.fault) << c.name;
  }
}
