#include <gtest/gtest.h>

#include <cstring>

#include "data_file_fixtures.h"
#include "files/report.h"
#include "tests/support/record_oracles.h"

namespace {

const TimeTag kNoTime{};

std::string tailOf(const std::string& text, size_t length) {
  return text.substr(text.size() > length ? text.size() - length : 0);
}

}  // namespace

TEST(FormatDataColumns, MinimumDigitsBitsAbove23AndLayoutsOutOfRange) {
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
      {0xFF000001, FlatLayout, "000000000000000000000001\t000001\t"},
      {0x9A5234, 6, "100110100101001000110100\t9A5234\t"},
      {0x9A5234, -1, "100110100101001000110100\t9A5234\t"},
  };
  for (const Case& c : cases) {
    char out[80];
    std::memset(out, 'x', sizeof out);
    EXPECT_EQ(formatDataColumns(c.value, c.layout, out), std::strlen(c.text)) << std::hex << c.value << " " << c.layout;
    EXPECT_STREQ(out, c.text) << std::hex << c.value << " layout " << c.layout;
  }
}

TEST(FormatReportLine, LabelAndTimeIncludingOutOfRangeFields) {
  struct Case {
    int64_t line;
    TimeTag tag;
    const char* start;
  };
  const TimeTag largest{{0x3FFF, 0x0FFF, 0x03FF, 0x07FF}};
  const Case cases[] = {
      {1, exampleTag(16), "+00000001\t123:04:05:06.0070080\t"},
      {0, exampleTag(201), "TRIGGER\t123:04:05:06.0071005\t"},
      {-5, exampleTag(1999), "-00000005\t123:04:05:06.0079995\t"},
      {99999999, TimeTag{{0x0020, 0, 0, 0}}, "+99999999\t001:00:00:00.0000000\t"},
      {123456789, largest, "+123456789\t427:31:63:63.102310235\t"},
      {5000000000ll, exampleTag(16), "+5000000000\t123:"},
      {INT64_MIN, exampleTag(16), "-9223372036854775808\t123:"},
  };
  for (const Case& c : cases) {
    const std::string line = formatReportLine(c.line, makeRecord(c.tag, 0, 0, 0, 0), kNoTime, StackFormat::Mdm);
    EXPECT_EQ(line.substr(0, std::strlen(c.start)), c.start) << c.line;
  }
}

TEST(FormatReportLine, GapColumnBoundaries) {
  // Day 199 23:59:59.9990000: the next day's hundreds digit is one millisecond later.
  const uint64_t base = timeTagHalfMicrosExact(TimeTag{{0x1C77, 0x0EFB, 999, 0}});
  struct Case {
    uint64_t previous, current;
    const char* gap;
  };
  const Case cases[] = {
      {0, base, "\t        \t"},         // no previous record
      {base, base, "\t        \t"},      // same time
      {base + 1, base, "\t        \t"},  // time going backwards
      {base, base + 55, "\t\t"},
      {base, base + 56, "\t0.0           "},
      {base, base + 57, "\t0.5           "},
      {base, base + 2000 + 56, "\t1000.0        "},  // across midnight into day 200
      {base, base + 7200000000ull, "\t3599999972.0  "},
      {base, base + 7200000001ull, "\t>1 Hour \t"},
      {base, base + 2ull * 86400 * 1000000 * 100, "\t>1 Hour \t"},
  };
  for (const Case& c : cases) {
    const BusRecord record = makeRecord(tagFromHalfMicros(c.current), 0, 0, 0, 0);
    const std::string line = formatReportLine(7, record, tagFromHalfMicros(c.previous), StackFormat::Mdm);
    // The gap column follows the 9-character label and the 21-character time.
    EXPECT_EQ(line.substr(30, line.find("\tJ", 30) - 30), c.gap) << c.previous << " to " << c.current;
  }
}

// Command words take their format's layout (flat for 1553), data words the data layout (flat in
// the binary/hex format); the MDM command name follows MDM command words only.
TEST(FormatReportLine, LayoutErrorsAndCommandCodeFollowFormatAndSync) {
  const char* const dataWord = "\t10011 0100101001000110 100\t13 4A46 4\t";
  const char* const flat = "\t100110100101001000110100\t9A5234\t";
  struct Case {
    StackFormat format;
    unsigned sync, flags;
    const char *columns, *rest;
  };
  const Case cases[] = {
      {StackFormat::Ldb, 1, kErrorSh, "\t10011 0100 10100 1000110100\t13 4 14 234\t", "         Sh      "},
      {StackFormat::Ldb, 0, kErrorLg, dataWord, "      Lg         "},
      {StackFormat::Mdm, 1, 0, "\t10011 0 1001 01001000110100\t13 0 9 1234\t",
       "NO ERRORS \tPREPARE MDM TO TRANSMIT DATA"},
      {StackFormat::Mdm, 0, kErrorMn, dataWord, "   Mn            "},
      {StackFormat::Mec, 1, kErrorPy, "\t10011 01001010010001 10100\t13 1291 14\t", "Py               "},
      {StackFormat::Mec, 0, 0xF, dataWord, "Py Mn Lg Sh      "},
      {StackFormat::Eiu, 1, 0, "\t10011 01001 010010001 10100\t13 09 091 14\t", "NO ERRORS "},
      {StackFormat::Eiu, 0, 0, dataWord, "NO ERRORS "},
      {StackFormat::BinaryHex, 1, 0, flat, "NO ERRORS "},
      {StackFormat::BinaryHex, 0, 0, flat, "NO ERRORS "},
      {StackFormat::Mil1553, 1, 0, flat, "NO ERRORS "},
      {StackFormat::Mil1553, 0, 0, dataWord, "NO ERRORS "},
  };
  for (const Case& c : cases) {
    const BusRecord record = makeRecord(exampleTag(16), 3, c.sync, c.flags, 0x9A5234);
    const std::string tail = std::string(c.sync ? "\tJ4\tCMND" : "\tJ4\tDATA") + c.columns + c.rest;
    EXPECT_EQ(tailOf(formatReportLine(1, record, kNoTime, c.format), tail.size()), tail)
        << "format " << static_cast<int>(c.format) << " sync " << c.sync;
  }
}

TEST(FormatReportLine, MdmCommandNameIsChosenByBits17To14) {
  for (unsigned index = 0; index < 16; ++index) {
    EXPECT_EQ(std::strlen(MdmCommandNames[index]), 28u) << index;
    // Every other bit set, so a shifted or widened index would pick another name.
    const BusRecord record = makeRecord(exampleTag(16), 0, 1, 0, 0xFC3FFFu | (index << 14));
    const std::string line = formatReportLine(1, record, kNoTime, StackFormat::Mdm);
    EXPECT_EQ(tailOf(line, 29), std::string("\t") + MdmCommandNames[index]) << index;
  }
}
