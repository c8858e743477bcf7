#include <gtest/gtest.h>

#include <cstring>

#include "data_file_fixtures.h"
#include "files/report.h"

namespace {

const std::string kRule(184, '-');
const std::string kHeader = kRule + "\n LINE\t\tTIME\t\t\tGAP(uS)\t\tBUS\tSYNC\tBINARY\t\t\t\tHEX\t\tERRORS\t\tCOMMAND CODE\n" + kRule + "\n";
const std::string kFlatHeader = kRule + "\n LINE\t\tTIME\t\t\tGAP(uS)\t\tBUS\tSYNC\tBINARY\t\t\t\tHEX\tERRORS\n" + kRule + "\n";

// Records 100 us apart from day 10, J1, data words numbered from 1.
std::vector<BusRecord> evenlySpaced(size_t count) {
  std::vector<BusRecord> records;
  const uint64_t start = timeTagHalfMicrosExact(TimeTag{{10 << 5, 0, 0, 0}});
  for (size_t i = 0; i < count; ++i) {
    records.push_back(makeRecord(tagFromHalfMicros(start + 200 * i), 0, 0, 0, static_cast<uint32_t>(i + 1)));
  }
  return records;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start) + "<no line end>");
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// The labels of the report lines after the header ("END OF DATA" stays whole).
std::vector<std::string> labelsAfterHeader(const std::string& report) {
  std::vector<std::string> labels;
  const std::vector<std::string> lines = splitLines(report);
  for (size_t i = 3; i < lines.size(); ++i) labels.push_back(lines[i].substr(0, lines[i].find('\t')));
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

  ASSERT_EQ(writeReport(folder.file("example.qel"), folder.file("QEL.TMP"), StackFormat::Mdm, 1, 2), StatusCode::Success);
  EXPECT_EQ(readText(folder.file("QEL.TMP")), kHeader + line1 + line2);

  // Starting at record 2 the first line has no previous record, so its gap is blank.
  ASSERT_EQ(writeReport(folder.file("example.qel"), folder.file("QEL.TMP"), StackFormat::Mdm, 2, 1), StatusCode::Success);
  EXPECT_EQ(readText(folder.file("QEL.TMP")),
            kHeader + "+00000002\t123:04:05:06.0071005\t        \t\tJ2\tCMND\t10011 0 1001 01001000110100\t13 0 9 1234\t"
                      "Py       Sh      \tPREPARE MDM TO TRANSMIT DATA\n");
}

TEST(WriteReport, EndOfDataAndMissingRecords) {
  const std::string E = "END OF DATA";
  struct Case {
    size_t records;
    size_t fragmentBytes;  // bytes after the last whole record
    int64_t from, lines;
    StatusCode status;
    std::vector<std::string> labels;
  };
  const StatusCode ok = StatusCode::Success, missing = StatusCode::BusWordMissing;
  const Case cases[] = {
      {0, 0, 1, 5, ok, {E}},
      {0, 0, 2, 5, missing, {}},
      {3, 0, 1, 3, ok, {"+00000001", "+00000002", "+00000003"}},
      {3, 0, 1, 4, ok, {"+00000001", "+00000002", "+00000003", E}},
      {3, 0, 2, 100, ok, {"+00000002", "+00000003", E}},
      {3, 0, 3, 1, ok, {"+00000003"}},
      {3, 0, 4, 1, ok, {E}},
      {3, 0, 5, 1, missing, {}},
      {3, 0, 1000000, 1, missing, {}},
      // A trailing fragment is no record but keeps the skip within the file only while it fits.
      {3, 1, 1, 5, ok, {"+00000001", "+00000002", "+00000003", E}},
      {3, 14, 4, 2, ok, {E}},
      {3, 15, 4, 2, ok, {E}},
      {3, 15, 5, 2, missing, {}},
      {3, 15, 3, 1, ok, {"+00000003"}},
      // From 1 or less skips nothing; the labels count on from From.
      {3, 0, 0, 2, ok, {"TRIGGER", "+00000001"}},
      {3, 0, -1, 3, ok, {"-00000001", "TRIGGER", "+00000001"}},
      // Lines are counted down to exactly zero: 0 shows nothing, a negative count runs to the end.
      {3, 0, 1, 0, ok, {}},
      {3, 0, 2, -1, ok, {"+00000002", "+00000003", E}},
  };
  TempFolder folder;
  for (const Case& c : cases) {
    Bytes bytes = bytesOf(evenlySpaced(c.records));
    bytes.insert(bytes.end(), c.fragmentBytes, 0x5A);
    writeBytes(folder.file("data.qel"), bytes);
    writeBytes(folder.file("QEL.TMP"), {'o', 'l', 'd'});
    const StatusCode status = writeReport(folder.file("data.qel"), folder.file("QEL.TMP"), StackFormat::Mdm, c.from, c.lines);
    const std::string report = readText(folder.file("QEL.TMP"));
    const std::string what = std::to_string(c.records) + " records + " + std::to_string(c.fragmentBytes) +
                             " bytes, from " + std::to_string(c.from) + ", lines " + std::to_string(c.lines);
    EXPECT_EQ(status, c.status) << what;
    if (c.status == missing) {
      EXPECT_EQ(report, "") << what << ": the report file exists and is empty";
      EXPECT_TRUE(std::filesystem::exists(folder.file("QEL.TMP"))) << what;
    } else {
      EXPECT_EQ(report.substr(0, kHeader.size()), kHeader) << what;
      EXPECT_EQ(labelsAfterHeader(report), c.labels) << what;
    }
  }
}

TEST(WriteReport, OnlyTheBinaryHexFormatLeavesOutTheCommandCodeHeading) {
  TempFolder folder;
  writeBytes(folder.file("d.qel"), {});
  for (int format = 1; format <= 6; ++format) {
    ASSERT_EQ(writeReport(folder.file("d.qel"), folder.file("QEL.TMP"), static_cast<StackFormat>(format), 1, 1),
              StatusCode::Success);
    EXPECT_EQ(readText(folder.file("QEL.TMP")), (format == 5 ? kFlatHeader : kHeader) + "END OF DATA\n") << format;
  }
}

TEST(WriteReport, RecordsAcrossReadBlocksAreNeitherLostNorRepeated) {
  // Over 16384 records (one read block) and a trailing fragment; each record 100 us after the
  // one before, so every line after the first shows a gap of 72.0.
  const size_t count = 40000;
  TempFolder folder;
  Bytes bytes = bytesOf(evenlySpaced(count));
  bytes.insert(bytes.end(), 9, 0x33);
  writeBytes(folder.file("long.qel"), bytes);
  struct Case {
    int64_t from, lines;
    size_t shown;
    bool endOfData;
  };
  const Case cases[] = {{1, 0x7FFFFFFF, count, true}, {2, 16384, 16384, false}, {16000, 30000, count - 15999, true}};
  for (const Case& c : cases) {
    ASSERT_EQ(writeReport(folder.file("long.qel"), folder.file("QEL.TMP"), StackFormat::Mdm, c.from, c.lines),
              StatusCode::Success);
    const std::vector<std::string> lines = splitLines(readText(folder.file("QEL.TMP")));
    ASSERT_EQ(lines.size(), 3 + c.shown + (c.endOfData ? 1 : 0)) << c.from;
    for (size_t i = 0; i < c.shown; ++i) {
      const std::string& line = lines[3 + i];
      char label[32];
      std::snprintf(label, sizeof label, "+%.08lld\t", static_cast<long long>(c.from) + static_cast<long long>(i));
      ASSERT_EQ(line.compare(0, std::strlen(label), label), 0) << line;
      ASSERT_NE(line.find(i == 0 ? "\t        \t\tJ1" : "\t72.0          \tJ1"), std::string::npos) << line;
      // The data word holds the record number.
      const unsigned number = static_cast<unsigned>(c.from + static_cast<int64_t>(i));
      char hex[32];
      std::snprintf(hex, sizeof hex, "\t%.02X %.04X %d\t", number >> 19, (number >> 3) & 0xFFFF, number & 7);
      ASSERT_NE(line.find(hex, line.find("DATA\t")), std::string::npos) << line;
    }
    if (c.endOfData) {
      EXPECT_EQ(lines.back(), "END OF DATA");
    }
  }
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

TEST(WriteReportStream, FileThatCannotSeekGivesTheSameReport) {
  TempFolder folder;
  Bytes bytes = bytesOf(evenlySpaced(3));
  bytes.push_back(0x11);
  writeBytes(folder.file("d.qel"), bytes);
  struct Case {
    int64_t from, lines;
    StatusCode status;
  };
  const Case cases[] = {{1, 10, StatusCode::Success}, {3, 10, StatusCode::Success}, {4, 1, StatusCode::Success},
                        {5, 1, StatusCode::BusWordMissing}};
  for (const Case& c : cases) {
    std::string viaFile, viaPipe;
    for (bool pipe : {false, true}) {
      FILE* data = pipe ? popen(("cat " + folder.file("d.qel")).c_str(), "r") : std::fopen(folder.file("d.qel").c_str(), "rb");
      FILE* out = std::fopen(folder.file(pipe ? "pipe.txt" : "file.txt").c_str(), "w");
      ASSERT_NE(data, nullptr);
      ASSERT_NE(out, nullptr);
      EXPECT_EQ(writeReportStream(data, out, StackFormat::Mdm, c.from, c.lines), c.status) << c.from << " pipe " << pipe;
      pipe ? pclose(data) : std::fclose(data);
      std::fclose(out);
    }
    EXPECT_EQ(readText(folder.file("pipe.txt")), readText(folder.file("file.txt"))) << c.from;
  }
}
