#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "data_file_fixtures.h"
#include "files/report.h"
#include "tests/support/record_oracles.h"

namespace {

const std::string kRule(184, '-'), kHeading = "\n LINE\t\tTIME\t\t\tGAP(uS)\t\tBUS\tSYNC\tBINARY\t\t\t\tHEX\t";
const std::string kHeader = kRule + kHeading + "\tERRORS\t\tCOMMAND CODE\n" + kRule + "\n";
const std::string kFlatHeader = kRule + kHeading + "ERRORS\n" + kRule + "\n";

// Records 100 us apart from day 10, J1, data words numbered from 1.
std::vector<BusRecord> evenlySpaced(size_t count) {
  std::vector<BusRecord> records;
  const uint64_t start = timeTagHalfMicrosExact(TimeTag{{10 << 5, 0, 0, 0}});
  for (size_t i = 0; i < count; ++i) {
    records.push_back(makeRecord(tagFromHalfMicros(start + 200 * i), 0, 0, 0, static_cast<uint32_t>(i + 1)));
  }
  return records;
}

constexpr long long kEnd = 999;  // END OF DATA

// The line numbers after the header, TRIGGER as 0.
std::vector<long long> labelsAfterHeader(const std::string& report) {
  std::vector<long long> labels;
  std::istringstream in(report);
  std::string line;
  for (int i = 0; std::getline(in, line); ++i) {
    if (i >= 3) labels.push_back(line == "END OF DATA" ? kEnd : line.rfind("TRIGGER\t", 0) == 0 ? 0 : std::stoll(line));
  }
  return labels;
}

}  // namespace

TEST(WriteReport, DocumentedMdmExampleByteForByte) {
  TempFolder folder;
  Bytes bytes = bytesOf({makeRecord(exampleTag(16), 0, 0, 0, 0x0ABCDE)});
  const Bytes second = exampleRecordBytes();
  bytes.insert(bytes.end(), second.begin(), second.end());
  writeBytes(folder.file("example.qel"), bytes);
  const std::string line1 =
      "+00000001\t123:04:05:06.0070080\t        \t\tJ1\tDATA\t00001 0101011110011011 110\t01 579B 6\tNO ERRORS \n";
  const std::string line2 =
      "+00000002\t123:04:05:06.0071005\t64.5          \tJ2\tCMND\t10011 0 1001 01001000110100\t13 0 9 1234\t"
      "Py       Sh      \tPREPARE MDM TO TRANSMIT DATA\n";

  ASSERT_EQ(writeReport(folder.file("example.qel"), folder.file("QEL.TMP"), StackFormat::Mdm, 1, 2),
            StatusCode::Success);
  EXPECT_EQ(readText(folder.file("QEL.TMP")), kHeader + line1 + line2);
}

// Only the binary/hex format leaves out the COMMAND CODE heading: the cases take the formats in turn.
TEST(WriteReport, HeaderEndOfDataAndMissingRecords) {
  const long long E = kEnd;
  struct Case {
    size_t records, fragmentBytes;  // whole records and the bytes after them
    int64_t from, lines;
    StatusCode status;
    std::vector<long long> labels;
  };
  const StatusCode ok = StatusCode::Success, missing = StatusCode::BusWordMissing;
  const Case cases[] = {
      {0, 0, 1, 5, ok, {E}},
      {0, 0, 2, 5, missing, {}},
      {3, 0, 1, 3, ok, {1, 2, 3}},
      {3, 0, 1, 4, ok, {1, 2, 3, E}},
      {3, 0, 3, 1, ok, {3}},
      {3, 0, 4, 1, ok, {E}},
      {3, 0, 5, 1, missing, {}},
      // A trailing fragment is no record but keeps the skip within the file only while it fits.
      {3, 15, 4, 2, ok, {E}},
      {3, 15, 5, 2, missing, {}},
      {3, 15, 3, 1, ok, {3}},
      // From 1 or less skips nothing; the labels count on from From.
      {3, 0, 0, 2, ok, {0, 1}},
      {3, 0, -1, 3, ok, {-1, 0, 1}},
      // Lines are counted down to exactly zero: 0 shows nothing, a negative count runs to the end.
      {3, 0, 1, 0, ok, {}},
      {3, 0, 2, -1, ok, {2, 3, E}},
  };
  TempFolder folder;
  for (const Case& c : cases) {
    Bytes bytes = bytesOf(evenlySpaced(c.records));
    bytes.insert(bytes.end(), c.fragmentBytes, 0x5A);
    writeBytes(folder.file("data.qel"), bytes);
    writeBytes(folder.file("QEL.TMP"), {'o', 'l', 'd'});
    const StackFormat format = static_cast<StackFormat>(1 + (&c - cases) % 6);
    const StatusCode status = writeReport(folder.file("data.qel"), folder.file("QEL.TMP"), format, c.from, c.lines);
    const std::string report = readText(folder.file("QEL.TMP"));
    const std::string what = "case " + std::to_string(&c - cases);
    EXPECT_EQ(status, c.status) << what;
    if (c.status == missing) {
      EXPECT_EQ(report, "") << what << ": the report file exists and is empty";
      EXPECT_TRUE(std::filesystem::exists(folder.file("QEL.TMP"))) << what;
    } else {
      const std::string& header = format == StackFormat::BinaryHex ? kFlatHeader : kHeader;
      EXPECT_EQ(report.substr(0, header.size()), header) << what;
      EXPECT_EQ(report.back(), '\n') << what;
      EXPECT_EQ(labelsAfterHeader(report), c.labels) << what;
    }
    // A data file that cannot seek gives the same report.
    FILE* pipe = popen(("cat " + folder.file("data.qel")).c_str(), "r");
    FILE* out = std::fopen(folder.file("pipe.txt").c_str(), "w");
    ASSERT_TRUE(pipe != nullptr && out != nullptr);
    EXPECT_EQ(writeReportStream(pipe, out, format, c.from, c.lines), c.status) << what;
    pclose(pipe);
    std::fclose(out);
    EXPECT_EQ(readText(folder.file("pipe.txt")), report) << what;
  }
}

// Over 16384 records (one read block) and a trailing fragment: every record's line once, in order,
// with the gap to the record before it.
TEST(WriteReport, RecordsAcrossReadBlocksAreNeitherLostNorRepeated) {
  const std::vector<BusRecord> records = evenlySpaced(40000);
  TempFolder folder;
  Bytes bytes = bytesOf(records);
  bytes.insert(bytes.end(), 9, 0x33);
  writeBytes(folder.file("long.qel"), bytes);
  struct Case {
    int64_t from, lines;
  };
  for (const Case& c : {Case{1, 0x7FFFFFFF}, Case{2, 16384}, Case{16000, 30000}}) {
    ASSERT_EQ(writeReport(folder.file("long.qel"), folder.file("QEL.TMP"), StackFormat::Mdm, c.from, c.lines),
              StatusCode::Success);
    const size_t first = static_cast<size_t>(c.from - 1), end = static_cast<size_t>(c.from - 1 + c.lines);
    std::string expected = kHeader;
    for (size_t r = first; r < std::min(end, records.size()); ++r) {
      const TimeTag previous = r == first ? TimeTag{} : timeTagOf(records[r - 1]);
      expected += formatReportLine(static_cast<int64_t>(r + 1), records[r], previous, StackFormat::Mdm) + "\n";
    }
    if (end > records.size()) expected += "END OF DATA\n";
    const std::string text = readText(folder.file("QEL.TMP"));
    EXPECT_EQ(text.size(), expected.size()) << "from " << c.from;
    EXPECT_TRUE(text == expected) << "from " << c.from;
  }
  // Far more than the output buffer holds: the failing write is seen.
  FILE* data = std::fopen(folder.file("long.qel").c_str(), "rb");
  FILE* full = std::fopen("/dev/full", "w");
  ASSERT_TRUE(data != nullptr && full != nullptr);
  EXPECT_EQ(writeReportStream(data, full, StackFormat::Mdm, 1, 40000), StatusCode::FileWriteError);
  std::fclose(data);
  std::fclose(full);
}

TEST(WriteReport, FilesThatCannotBeOpenedOrWritten) {
  TempFolder folder;
  writeBytes(folder.file("d.qel"), bytesOf(evenlySpaced(2)));
  writeBytes(folder.file("QEL.TMP"), {'k', 'e', 'e', 'p'});
  EXPECT_EQ(writeReport(folder.file("missing.qel"), folder.file("QEL.TMP"), StackFormat::Mdm, 1, 2),
            StatusCode::FileOpenError);
  EXPECT_EQ(readText(folder.file("QEL.TMP")), "keep") << "the report file is untouched";
  EXPECT_EQ(writeReport(folder.file("d.qel"), folder.file("no/such/folder/QEL.TMP"), StackFormat::Mdm, 1, 2),
            StatusCode::FileOpenError);
  EXPECT_EQ(writeReport(folder.file("d.qel"), "/dev/full", StackFormat::Mdm, 1, 2), StatusCode::FileWriteError);
}

TEST(WriteReport, ProgressCountsTheLinesToShow) {
  TempFolder folder;
  writeBytes(folder.file("data.qel"), bytesOf(evenlySpaced(50000)));
  struct Case {
    int64_t from, lines;
    uint64_t total;
  };
  const Case cases[] = {{1, 30000, 30000}, {40001, 30000, 10000}, {1, -1, 50000}};
  for (const Case& c : cases) {
    std::vector<std::pair<uint64_t, uint64_t>> heard;
    const ScanProgress progress = [&](uint64_t done, uint64_t total) { heard.emplace_back(done, total); };
    ASSERT_EQ(writeReport(folder.file("data.qel"), folder.file("QEL.TMP"), StackFormat::Mdm, c.from, c.lines, &progress),
              StatusCode::Success);
    ASSERT_GE(heard.size(), 2u) << c.from;
    for (const auto& h : heard) EXPECT_EQ(h.second, c.total) << c.from;
    EXPECT_EQ(heard.back().first, c.total) << c.from;
  }
}
