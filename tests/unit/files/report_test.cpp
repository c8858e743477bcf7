// The text report: its lines column by column, and the report of a data file.
#include "files/report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "files/data_file.h"
#include "files/record_count.h"
#include "tests/support/record_oracles.h"
#include "tests/support/test_records.h"

namespace {

const std::string kRule(184, '-'), kHeading = "\n LINE\t\tTIME\t\t\tGAP(uS)\t\tBUS\tSYNC\tBINARY\t\t\t\tHEX\t";
const std::string kHeader = kRule + kHeading + "\tERRORS\t\tCOMMAND CODE\n" + kRule + "\n";
const std::string kFlatHeader = kRule + kHeading + "ERRORS\n" + kRule + "\n";
constexpr uint64_t kExampleTime = halfMicrosAt(123, 4, 5, 6, 7);  // day 123 04:05:06.007

std::string lineOf(const BusRecord& r, uint64_t previous = 0, StackFormat format = StackFormat::Mdm,
                   int64_t label = 1) {
  return formatReportLine(label, r, timeTagOf(testRecord({previous})), format);
}

std::string tailOf(const std::string& text, size_t length) {
  return text.substr(text.size() > length ? text.size() - length : 0);
}

// Records 100 us apart from day 10, J1, data words numbered from 1.
constexpr uint64_t kSpacedFrom = halfMicrosAt(10, 0, 0, 0);
std::vector<BusRecord> evenlySpaced(size_t count) {
  std::vector<BusRecord> records;
  for (size_t i = 0; i < count; ++i) records.push_back(testRecord({kSpacedFrom + 200 * i, uint32_t(i + 1)}));
  return records;
}

}  // namespace

TEST(ReportLine, LabelTimeAndGap) {
  BusRecord largest = testRecord({});  // every time-tag bit set
  largest.words[0] = 0x3FFF, largest.words[1] = 0x0FFF, largest.words[2] = 0x03FF, largest.words[3] = 0x07FF;
  const struct {
    int64_t line;
    BusRecord record;
    const char* start;
  } starts[] = {
      {0, testRecord({kExampleTime + 201}), "TRIGGER\t123:04:05:06.0071005\t"},
      {-5, testRecord({halfMicrosAt(321, 12, 34, 56, 789, 1999)}), "-00000005\t321:12:34:56.7899995\t"},
      {123456789, largest, "+123456789\t427:31:63:63.102310235\t"},
      {INT64_MIN, testRecord({kExampleTime}), "-9223372036854775808\t123:"},
  };
  for (const auto& c : starts) {
    EXPECT_EQ(lineOf(c.record, 0, StackFormat::Mdm, c.line).substr(0, std::strlen(c.start)), c.start) << c.line;
  }
  // Day 199 23:59:59.999: the next day's hundreds digit is one millisecond later.
  const uint64_t base = halfMicrosAt(199, 23, 59, 59, 999);
  const struct {
    uint64_t previous, current;
    const char* gap;
  } gaps[] = {
      {0, base, "\t        \t"},     // no previous record
      {base, base, "\t        \t"},  // same time (and so time going backwards)
      {base, base + 55, "\t\t"},
      {base, base + 56, "\t0.0           "},
      {base, base + 57, "\t0.5           "},
      {base, base + 2000 + 56, "\t1000.0        "},  // across midnight into day 200
      {base, base + 7200000000ull, "\t3599999972.0  "},
      {base, base + 7200000001ull, "\t>1 Hour \t"},
  };
  for (const auto& c : gaps) {
    const std::string line = lineOf(testRecord({c.current}), c.previous, StackFormat::Mdm, 7);
    // The gap column follows the 9-character label and the 21-character time.
    EXPECT_EQ(line.substr(30, line.find("\tJ", 30) - 30), c.gap) << c.previous << " to " << c.current;
  }
}

// Command words take their format's layout (flat for 1553), data words the data layout (flat in
// the binary/hex format); the MDM command name follows MDM command words only, chosen by bits 17-14.
TEST(ReportLine, LayoutErrorsAndCommandCodeFollowFormatAndSync) {
  const char* const dataWord = "\t10011 0100101001000110 100\t13 4A46 4\t";
  const char* const flat = "\t100110100101001000110100\t9A5234\t";
  const struct {
    StackFormat format;
    unsigned sync, flags;
    const char *columns, *rest;
  } cases[] = {
      {StackFormat::Ldb, 1, kErrorSh, "\t10011 0100 10100 1000110100\t13 4 14 234\t", "         Sh      "},
      {StackFormat::Ldb, 0, kErrorLg, dataWord, "      Lg         "},
      {StackFormat::Mdm, 0, kErrorMn, dataWord, "   Mn            "},
      {StackFormat::Mec, 1, kErrorPy, "\t10011 01001010010001 10100\t13 1291 14\t", "Py               "},
      {StackFormat::Mec, 0, 0xF, dataWord, "Py Mn Lg Sh      "},
      {StackFormat::Eiu, 1, 0, "\t10011 01001 010010001 10100\t13 09 091 14\t", "NO ERRORS "},
      {StackFormat::BinaryHex, 1, 0, flat, "NO ERRORS "},
      {StackFormat::BinaryHex, 0, 0, flat, "NO ERRORS "},
      {StackFormat::Mil1553, 1, 0, flat, "NO ERRORS "},
      {StackFormat::Mil1553, 0, 0, dataWord, "NO ERRORS "},
  };
  for (const auto& c : cases) {
    const BusRecord record = testRecord({kExampleTime + 16, 0x9A5234, 3, c.sync, c.flags});
    const std::string tail = std::string(c.sync ? "\tJ4\tCMND" : "\tJ4\tDATA") + c.columns + c.rest;
    EXPECT_EQ(tailOf(lineOf(record, 0, c.format), tail.size()), tail)
        << "format " << static_cast<int>(c.format) << " sync " << c.sync;
  }
  for (unsigned index = 0; index < 16; ++index) {
    // Every other bit set, so a shifted or widened index would pick another name.
    const BusRecord record = testRecord({kExampleTime, 0xFC3FFFu | (index << 14), 0, 1});
    EXPECT_EQ(tailOf(lineOf(record), 29), std::string("\t") + MdmCommandNames[index]) << index;
  }
}

// Reports of evenly spaced records line for line, the cases taking the formats in turn (only the
// binary/hex format leaves out the COMMAND CODE heading). From 1 or less skips nothing and the
// labels count on from From; lines are counted down to exactly zero (0 shows nothing, a negative
// count runs to the end); END OF DATA when the records end first; fewer than From - 1 records leave
// an empty report file. Over 16384 records (one read block) every record's line comes once, in
// order; progress counts the lines shown. A data file read through a pipe (no seeking) gives the
// same report.
TEST(WriteReport, LinesFromToEndOfDataAcrossReadBlocksAndMissingRecords) {
  const StatusCode ok = StatusCode::Success, missing = StatusCode::BusWordMissing;
  const struct {
    size_t records, fragmentBytes;  // whole records and the bytes after them
    int64_t from, lines;
    StatusCode status;
  } cases[] = {
      {0, 0, 2, 5, missing},
      {3, 0, 4, 1, ok},
      // A trailing fragment is no record but keeps the skip within the file only while it fits.
      {3, 15, 4, 2, ok},
      {3, 15, 5, 2, missing},
      {3, 0, -1, 3, ok},
      {3, 0, 1, 0, ok},
      {40000, 9, 1, 0x7FFFFFFF, ok},
      {40000, 9, 2, 16384, ok},
      {40000, 9, 16000, 30000, ok},
  };
  TempFolder folder;
  for (const auto& c : cases) {
    const std::string what = "case " + std::to_string(&c - cases);
    const std::vector<BusRecord> records = evenlySpaced(c.records);
    writeDataFile(folder.file("data.qel"), records, c.fragmentBytes);
    writeBytes(folder.file("QEL.TMP"), {'o', 'l', 'd'});
    const StackFormat format = static_cast<StackFormat>(1 + (&c - cases) % 6);
    std::vector<std::pair<uint64_t, uint64_t>> heard;
    const ScanProgress progress = [&](uint64_t done, uint64_t total) { heard.emplace_back(done, total); };
    ASSERT_EQ(writeReport(folder.file("data.qel"), folder.file("QEL.TMP"), format, c.from, c.lines, &progress),
              c.status)
        << what;
    std::string expected;
    if (c.status == ok) {
      const size_t first = c.from > 1 ? static_cast<size_t>(c.from - 1) : 0, left = records.size() - first;
      const size_t shown = c.lines < 0 ? left : std::min(static_cast<size_t>(c.lines), left);
      expected = format == StackFormat::BinaryHex ? kFlatHeader : kHeader;
      for (size_t i = 0; i < shown; ++i) {
        const uint64_t previous = i == 0 ? 0 : kSpacedFrom + 200 * (first + i - 1);
        expected += lineOf(records[first + i], previous, format, c.from + static_cast<int64_t>(i)) + "\n";
      }
      if (c.lines < 0 || shown < static_cast<size_t>(c.lines)) expected += "END OF DATA\n";
      EXPECT_EQ(heard.back(), std::make_pair(uint64_t{shown}, uint64_t{shown})) << what;
      EXPECT_GT(heard.size(), shown / 16384) << what;
    }
    const std::string report = readText(folder.file("QEL.TMP"));
    EXPECT_TRUE(std::filesystem::exists(folder.file("QEL.TMP"))) << what;
    EXPECT_TRUE(report == expected) << what;
    FILE* pipe = popen(("cat " + folder.file("data.qel")).c_str(), "r");
    FILE* out = std::fopen(folder.file("pipe.txt").c_str(), "w");
    ASSERT_TRUE(pipe != nullptr && out != nullptr);
    EXPECT_EQ(writeReportStream(pipe, out, format, c.from, c.lines), c.status) << what;
    pclose(pipe);
    std::fclose(out);
    EXPECT_TRUE(readText(folder.file("pipe.txt")) == report) << what;
  }
  // A data file that cannot be opened leaves the report file as it was; a write that fails far past
  // what the output buffer holds is seen.
  writeBytes(folder.file("QEL.TMP"), {'k', 'e', 'e', 'p'});
  EXPECT_EQ(writeReport(folder.file("missing.qel"), folder.file("QEL.TMP"), StackFormat::Mdm, 1, 2),
            StatusCode::FileOpenError);
  EXPECT_EQ(readText(folder.file("QEL.TMP")), "keep");
  EXPECT_EQ(writeReport(folder.file("data.qel"), "/dev/full", StackFormat::Mdm, 1, 40000), StatusCode::FileWriteError);
}

// The documented MDM example byte for byte, as the last two records of a sparse data file of
// 2^28 + 2 records (just over 4 GiB): positions beyond 32 bits count and seek exactly.
TEST(WriteReport, DocumentedMdmExampleBeyondFourGibibytes) {
  TempFolder folder;
  const std::string path = folder.file("big.qel"), report = folder.file("QEL.TMP");
  const int64_t firstBeyond = (int64_t{1} << 28) + 1;  // the record at 4 GiB
  FILE* file = openDataFile(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  ASSERT_TRUE(seekDataFile(file, int64_t{1} << 32, SEEK_SET));
  const Bytes tail = dataFileBytes(
      testRecords({{kExampleTime + 16, 0x0ABCDE}, {kExampleTime + 201, 0x9A5234, 1, 1, kErrorPy | kErrorSh}}));
  ASSERT_EQ(std::fwrite(tail.data(), 1, tail.size(), file), tail.size());
  ASSERT_EQ(std::fclose(file), 0);
  uint64_t count = 0;
  ASSERT_EQ(countRecords(path, count), StatusCode::Success);
  EXPECT_EQ(count, uint64_t{1} << 28 | 2);
  ASSERT_EQ(writeReport(path, report, StackFormat::Mdm, firstBeyond, 5), StatusCode::Success);
  EXPECT_EQ(readText(report),
            kHeader +
                "+268435457\t123:04:05:06.0070080\t        \t\tJ1\tDATA\t00001 0101011110011011 110\t01 579B 6\t"
                "NO ERRORS \n"
                "+268435458\t123:04:05:06.0071005\t64.5          \tJ2\tCMND\t10011 0 1001 01001000110100\t"
                "13 0 9 1234\tPy       Sh      \tPREPARE MDM TO TRANSMIT DATA\nEND OF DATA\n");
  EXPECT_EQ(writeReport(path, report, StackFormat::Mdm, firstBeyond + 3, 5), StatusCode::BusWordMissing);
}
