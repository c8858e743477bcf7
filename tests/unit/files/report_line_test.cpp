#include <gtest/gtest.h>

#include <cstring>

#include "data_file_fixtures.h"
#include "files/report.h"

namespace {

// Label (9 characters for lines 1 to 99999999) and the time piece (21 characters for valid data).
constexpr size_t kGapStart = 9 + 21;

std::string gapColumn(const std::string& line) { return line.substr(kGapStart, line.find("\tJ", kGapStart) - kGapStart); }
std::string labelOf(const std::string& line) { return line.substr(0, line.find('\t')); }
std::string errorColumn(const std::string& line) { return line.substr(line.rfind('\t') + 1); }

const TimeTag kNoTime{};

}  // namespace

TEST(FormatDataColumns, BusWord9A5234InEveryLayout) {
  struct Case {
    int layout;
    const char* text;
  };
  const Case cases[] = {
      {DataWordLayout, "10011 0100101001000110 100\t13 4A46 4\t"},
      {LdbCommandLayout, "10011 0100 10100 1000110100\t13 4 14 234\t"},
      {MdmCommandLayout, "10011 0 1001 01001000110100\t13 0 9 1234\t"},
      {MecCommandLayout, "10011 01001010010001 10100\t13 1291 14\t"},
      {EiuCommandLayout, "10011 01001 010010001 10100\t13 09 091 14\t"},
      {FlatLayout, "100110100101001000110100\t9A5234\t"},
      {6, "100110100101001000110100\t9A5234\t"},
      {-1, "100110100101001000110100\t9A5234\t"},
  };
  for (const Case& c : cases) {
    char out[80];
    std::memset(out, 'x', sizeof out);
    const size_t length = formatDataColumns(0x9A5234, c.layout, out);
    EXPECT_STREQ(out, c.text) << "layout " << c.layout;
    EXPECT_EQ(length, std::strlen(c.text)) << "layout " << c.layout;
  }
}

TEST(FormatDataColumns, ZeroAndAllOnesKeepTheMinimumDigitsAndBitsAbove23AreDropped) {
  struct Case {
    uint32_t value;
    int layout;
    const char* text;
  };
  const Case cases[] = {
      {0x000000, DataWordLayout, "00000 0000000000000000 000\t00 0000 0\t"},
      {0xFFFFFF, DataWordLayout, "11111 1111111111111111 111\t1F FFFF 7\t"},
      {0x000000, EiuCommandLayout, "00000 00000 000000000 00000\t00 00 000 00\t"},
      {0xFFFFFF, LdbCommandLayout, "11111 1111 11111 1111111111\t1F F 1F 3FF\t"},
      {0x000000, FlatLayout, "000000000000000000000000\t000000\t"},
      {0xFF000001, FlatLayout, "000000000000000000000001\t000001\t"},
  };
  for (const Case& c : cases) {
    char out[80];
    formatDataColumns(c.value, c.layout, out);
    EXPECT_STREQ(out, c.text) << std::hex << c.value << " layout " << c.layout;
  }
}

TEST(FormatReportLine, DocumentedMdmExampleLines) {
  const BusRecord first = makeRecord(exampleTag(16), 0, 0, 0, 0x0ABCDE);
  const Bytes bytes = exampleRecordBytes();
  const BusRecord second = busRecordFromBytes(bytes.data());
  EXPECT_EQ(formatReportLine(1, first, kNoTime, StackFormat::Mdm),
            "+00000001\t123:04:05:06.0070080\t        \t\tJ1\tDATA\t00001 0101011110011011 110\t01 579B 6\tNO ERRORS ");
  EXPECT_EQ(formatReportLine(2, second, timeTagOf(first), StackFormat::Mdm),
            "+00000002\t123:04:05:06.0071005\t64.5          \tJ2\tCMND\t10011 0 1001 01001000110100\t13 0 9 1234\t"
            "Py       Sh      \tPREPARE MDM TO TRANSMIT DATA");
}

TEST(FormatReportLine, LineLabels) {
  struct Case {
    int64_t line;
    const char* label;
  };
  const Case cases[] = {
      {1, "+00000001"},          {0, "TRIGGER"},
      {-5, "-00000005"},         {99999999, "+99999999"},
      {123456789, "+123456789"}, {5000000000ll, "+5000000000"},
      {-123456789, "-123456789"}, {INT64_MIN, "-9223372036854775808"},
  };
  const BusRecord record = makeRecord(exampleTag(16), 0, 0, 0, 0);
  for (const Case& c : cases) EXPECT_EQ(labelOf(formatReportLine(c.line, record, kNoTime, StackFormat::Mdm)), c.label);
}

TEST(FormatReportLine, TimeColumnIncludingOutOfRangeFields) {
  struct Case {
    TimeTag tag;
    const char* time;
  };
  const Case cases[] = {
      {exampleTag(16), "\t123:04:05:06.0070080"},
      {exampleTag(201), "\t123:04:05:06.0071005"},
      {exampleTag(1999), "\t123:04:05:06.0079995"},
      {TimeTag{{0x0020, 0, 0, 0}}, "\t001:00:00:00.0000000"},
      {TimeTag{{0x3FFF, 0x0FFF, 0x03FF, 0x07FF}}, "\t427:31:63:63.102310235"},
  };
  for (const Case& c : cases) {
    const std::string line = formatReportLine(1, makeRecord(c.tag, 0, 0, 0, 0), kNoTime, StackFormat::Mdm);
    EXPECT_EQ(line.substr(9, std::strlen(c.time)), c.time);
  }
}

TEST(FormatReportLine, GapColumnBoundaries) {
  // Day 199 23:59:59.9990000: the next day's hundreds digit is one millisecond later.
  const uint64_t base = timeTagHalfMicrosExact(TimeTag{{0x1C77, 0x0EFB, 999, 0}});
  struct Case {
    uint64_t previous;
    uint64_t current;
    const char* gap;
  };
  const Case cases[] = {
      {0, base, "\t        \t"},             // no previous record
      {base, base, "\t        \t"},          // same time
      {base + 1, base, "\t        \t"},      // time going backwards
      {base, base + 1, "\t\t"},
      {base, base + 55, "\t\t"},
      {base, base + 56, "\t0.0           "},
      {base, base + 57, "\t0.5           "},
      {base, base + 185, "\t64.5          "},
      {base, base + 2000 + 56, "\t1000.0        "},  // across midnight into day 200
      {base, base + 7200000000ull, "\t3599999972.0  "},
      {base, base + 7200000001ull, "\t>1 Hour \t"},
      {base, base + 2ull * 86400 * 1000000 * 100, "\t>1 Hour \t"},
  };
  for (const Case& c : cases) {
    const BusRecord record = makeRecord(tagFromHalfMicros(c.current), 0, 0, 0, 0);
    const std::string line = formatReportLine(7, record, tagFromHalfMicros(c.previous), StackFormat::Mdm);
    EXPECT_EQ(gapColumn(line), c.gap) << "previous " << c.previous << " current " << c.current;
  }
}

TEST(FormatReportLine, ErrorColumn) {
  struct Case {
    unsigned flags;
    const char* errors;
  };
  const Case cases[] = {
      {0, "NO ERRORS "},
      {kErrorSh, "         Sh      "},
      {kErrorLg, "      Lg         "},
      {kErrorMn, "   Mn            "},
      {kErrorPy, "Py               "},
      {kErrorPy | kErrorSh, "Py       Sh      "},
      {0xF, "Py Mn Lg Sh      "},
  };
  for (const Case& c : cases) {
    const BusRecord record = makeRecord(exampleTag(16), 2, 0, c.flags, 0x123456);
    EXPECT_EQ(errorColumn(formatReportLine(1, record, kNoTime, StackFormat::Mdm)), c.errors) << c.flags;
  }
}

TEST(FormatReportLine, LayoutAndCommandCodeFollowStackFormatAndSync) {
  const char* const dataWord = "\t10011 0100101001000110 100\t13 4A46 4\t";
  const char* const flat = "\t100110100101001000110100\t9A5234\t";
  struct Case {
    StackFormat format;
    unsigned sync;
    const char* columns;
    const char* ending;  // what follows the error column
  };
  const Case cases[] = {
      {StackFormat::Ldb, 1, "\t10011 0100 10100 1000110100\t13 4 14 234\t", ""},
      {StackFormat::Ldb, 0, dataWord, ""},
      {StackFormat::Mdm, 1, "\t10011 0 1001 01001000110100\t13 0 9 1234\t", "\tPREPARE MDM TO TRANSMIT DATA"},
      {StackFormat::Mdm, 0, dataWord, ""},
      {StackFormat::Mec, 1, "\t10011 01001010010001 10100\t13 1291 14\t", ""},
      {StackFormat::Mec, 0, dataWord, ""},
      {StackFormat::Eiu, 1, "\t10011 01001 010010001 10100\t13 09 091 14\t", ""},
      {StackFormat::Eiu, 0, dataWord, ""},
      {StackFormat::BinaryHex, 1, flat, ""},
      {StackFormat::BinaryHex, 0, flat, ""},
      {StackFormat::Mil1553, 1, flat, ""},
      {StackFormat::Mil1553, 0, dataWord, ""},
  };
  for (const Case& c : cases) {
    const BusRecord record = makeRecord(exampleTag(16), 3, c.sync, 0, 0x9A5234);
    const std::string line = formatReportLine(1, record, kNoTime, c.format);
    const std::string expectedTail =
        std::string(c.sync ? "\tJ4\tCMND" : "\tJ4\tDATA") + c.columns + "NO ERRORS " + c.ending;
    ASSERT_GE(line.size(), expectedTail.size());
    EXPECT_EQ(line.substr(line.size() - expectedTail.size()), expectedTail)
        << "format " << static_cast<int>(c.format) << " sync " << c.sync;
  }
}

TEST(FormatReportLine, MdmCommandNameIsChosenByBits17To14) {
  for (unsigned index = 0; index < 16; ++index) {
    EXPECT_EQ(std::strlen(MdmCommandNames[index]), 28u) << index;
    // Every other bit set, so a shifted or widened index would pick another name.
    const uint32_t word = 0xFC3FFFu | (index << 14);
    const BusRecord record = makeRecord(exampleTag(16), 0, 1, 0, word);
    const std::string line = formatReportLine(1, record, kNoTime, StackFormat::Mdm);
    EXPECT_EQ(line.substr(line.size() - 29), std::string("\t") + MdmCommandNames[index]) << index;
  }
  EXPECT_STREQ(MdmCommandNames[9], "PREPARE MDM TO TRANSMIT DATA");
  EXPECT_STREQ(MdmCommandNames[11], "MASTER RESET                ");
}

TEST(FormatReportLine, IgnoredBitsAndReservedWordsChangeNothing) {
  const Bytes bytes = exampleRecordBytes();
  const BusRecord plain = busRecordFromBytes(bytes.data());
  const BusRecord before = makeRecord(exampleTag(16), 0, 0, 0, 0);
  BusRecord noisy = plain;
  const uint16_t ignored[8] = {0xC000, 0xF000, 0xFC00, 0xF800, 0x2000, 0, 0xFFFF, 0xFFFF};
  for (int i = 0; i < 8; ++i) noisy.words[i] |= ignored[i];
  TimeTag noisyBefore = timeTagOf(before);
  for (int i = 0; i < 4; ++i) noisyBefore.words[i] |= ignored[i];
  for (int format = 1; format <= 6; ++format) {
    const StackFormat f = static_cast<StackFormat>(format);
    EXPECT_EQ(formatReportLine(2, noisy, noisyBefore, f), formatReportLine(2, plain, timeTagOf(before), f)) << format;
  }
  // A previous tag whose fields are all zero counts as no previous record, ignored bits or not.
  const TimeTag zeroFields{{0xC000, 0xF000, 0xFC00, 0xF800}};
  EXPECT_EQ(gapColumn(formatReportLine(2, plain, zeroFields, StackFormat::Mdm)), "\t        \t");
}
