// CSV rows against the text report of the same lines.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "export/csv_export.h"
#include "export_fixtures.h"
#include "files/report.h"
#include "sim/generated_data_file.h"
#include "tests/support/sim_support.h"

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator)) parts.push_back(part);
  if (!text.empty() && text.back() == separator) parts.emplace_back();
  return parts;
}

std::string trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// The report's "DDD:HH:MM:SS.fffffff" as seconds since day 0 with the same seven digits.
std::string secondsOfTimeText(const std::string& time) {
  const long long day = std::stoll(time.substr(0, 3)), hour = std::stoll(time.substr(4, 2)),
                  minute = std::stoll(time.substr(7, 2)), second = std::stoll(time.substr(10, 2));
  return std::to_string(((day * 24 + hour) * 60 + minute) * 60 + second) + time.substr(12);
}

}  // namespace

// Every field of every row agrees with the report line of the same record, in each stack format.
TEST(CsvExport, RowsAgreeWithTheReport) {
  TempFolder folder;
  const std::string path = folder.file("data.qel");
  TrafficConfig traffic;
  traffic.errorOneIn = 7;
  ASSERT_EQ(writeGeneratedRecords(path.c_str(), traffic, 400, LocalTime{2024, 5, 6, 7, 8, 9}), StatusCode::Success);
  Bytes data = readBytes(path);
  const Bytes extra = dataFileBytes({testRecord({halfMicrosAt(123, 0, 0, 0, 0, 201), 0x9A5234, 1, 1, 0xF})});
  data.insert(data.end(), extra.begin(), extra.end());
  writeBytes(path, data);

  for (const StackFormat format : {StackFormat::Mdm, StackFormat::BinaryHex, StackFormat::Mil1553}) {
    SCOPED_TRACE(static_cast<int>(format));
    RecordSelection selection;
    selection.from = 90;  // to the end, 312 records, the line numbers growing a digit on the way
    Bytes csv;
    uint64_t rows = 0;
    ASSERT_EQ(exportCsv(path, selection, format, memorySink(csv), rows), StatusCode::Success);
    ASSERT_EQ(rows, 312u);
    ASSERT_EQ(writeReport(path, folder.file("report.txt"), format, 90, 312), StatusCode::Success);

    const std::vector<std::string> csvLines = split(std::string(csv.begin(), csv.end()), '\n');
    const std::vector<std::string> reportLines = split(readText(folder.file("report.txt")), '\n');
    ASSERT_EQ(csvLines.size(), 314u);         // header, rows, nothing after the last line end
    ASSERT_GE(reportLines.size(), rows + 3);  // the heading between two rules first
    EXPECT_EQ(csvLines[0], "line,time,seconds,bus,sync,error,flags,hex,value,binary,fields,command\r");
    for (size_t i = 1; i <= rows; ++i) {
      const std::string& line = reportLines[i + 2];
      const std::vector<std::string> head = split(line, '\t');
      // After the gap column: bus, sync, binary, fields, errors and the MDM command name.
      const std::vector<std::string> tail = split(line.substr(line.find("\tJ") + 1), '\t');
      ASSERT_GE(tail.size(), 5u) << line;
      std::string flags, bits = tail[2];
      for (const std::string& flag : split(trimmed(tail[4]), ' ')) {
        if (!flag.empty() && flag != "NO" && flag != "ERRORS") flags += (flags.empty() ? "" : " ") + flag;
      }
      bits.erase(std::remove(bits.begin(), bits.end(), ' '), bits.end());
      const unsigned long value = std::stoul(bits, nullptr, 2);
      char hex[16];
      std::snprintf(hex, sizeof hex, "%06lX", value);
      EXPECT_EQ(csvLines[i], std::to_string(std::stoull(head[0].substr(1))) + "," + head[1] + "," +
                                 secondsOfTimeText(head[1]) + "," + tail[0] + "," + tail[1] + "," +
                                 (flags.empty() ? "0," : "1,") + flags + "," + hex + "," + std::to_string(value) + "," +
                                 tail[2] + "," + tail[3] + "," + (tail.size() > 5 ? trimmed(tail[5]) : "") + "\r");
    }
  }
  const ByteSink refusing{[](const unsigned char*, size_t) { return false; }};
  uint64_t rows = 0;
  EXPECT_EQ(exportCsv(path, RecordSelection{}, StackFormat::Mdm, refusing, rows), StatusCode::FileWriteError);
}

// Where criteria skip records each row keeps its record's line; fields beyond their ranges (here
// 1023 ms and 2047 half microseconds) still give the exact seconds.
TEST(CsvExport, LinesOfChosenRecordsAndSecondsOfFieldsOutOfRange) {
  TempFolder folder;
  const std::string path = folder.file("data.qel");
  std::vector<BusRecord> records;
  for (unsigned i = 0; i < 30; ++i)
    records.push_back(testRecord({halfMicrosAt(5, 0, 0, 1) + 100 * i, i, 0, i % 3 == 0}));
  records[0].words[2] = 1023, records[0].words[3] = 2047;
  writeDataFile(path, records);
  RecordSelection commands;
  commands.criteriaGiven = true;
  commands.criteria.syncChoice = SyncCmd;
  Bytes csv;
  uint64_t rows = 0;
  ASSERT_EQ(exportCsv(path, commands, StackFormat::Mdm, memorySink(csv), rows), StatusCode::Success);
  const std::vector<std::string> lines = split(std::string(csv.begin(), csv.end()), '\n');
  ASSERT_EQ(rows, 10u);
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(split(lines[1], ',')[2], std::to_string(5 * 86400 + 2) + ".0240235");
  for (unsigned r = 1; r <= rows; ++r) EXPECT_EQ(split(lines[r], ',')[0], std::to_string(3 * r - 2)) << lines[r];
}
