// Runs the data-file tasks over a data file of any bytes and length: the record count, and one of
// the text report (any format, from and line count) and the searches. The file is the whole
// input; the task and its parameters are taken from its first bytes. Results are checked against
// the record-by-record forms (formatReportLine, recordMatches, timeTagMicros), which the
// block-wise scans and the buffered report must agree with. The searches read the whole file (the
// saved index has a target of its own, index_damage).
#include <cstdio>
#include <string>
#include <vector>

#include "files/bus_record.h"
#include "files/record_count.h"
#include "files/report.h"
#include "files/report_line.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

std::vector<BusRecord> recordsOf(const uint8_t* data, size_t size) {
  std::vector<BusRecord> records;
  for (size_t at = 0; at + kBusRecordBytes <= size; at += kBusRecordBytes) {
    records.push_back(busRecordFromBytes(data + at));
  }
  return records;
}

void checkReport(const std::string& path, const std::vector<BusRecord>& records, StackFormat format, int64_t from,
                 int64_t lines) {
  FILE* data = std::fopen(path.c_str(), "rb");
  FUZZ_CHECK(data != nullptr);
  char* text = nullptr;
  size_t textSize = 0;
  FILE* out = open_memstream(&text, &textSize);
  FUZZ_CHECK(out != nullptr);
  const StatusCode status = writeReportStream(data, out, format, from, lines);
  std::fclose(data);
  std::fclose(out);
  const std::string report(text, textSize);
  std::free(text);

  const uint64_t count = records.size();
  const uint64_t skip = from > 1 ? static_cast<uint64_t>(from) - 1 : 0;
  if (skip > count) {
    FUZZ_CHECK(status == StatusCode::BusWordMissing);
    FUZZ_CHECK(report.empty());
    return;
  }
  FUZZ_CHECK(status == StatusCode::Success);
  const uint64_t available = count - skip;
  const bool toTheEnd = lines < 0 || static_cast<uint64_t>(lines) > available;
  const uint64_t shown = toTheEnd ? available : static_cast<uint64_t>(lines);

  // The rule, the heading and the rule again, then each record's line as the plain form writes it
  // (no longer than the report's line buffer).
  std::string expected;
  TimeTag previous{{0, 0, 0, 0}};
  for (uint64_t i = 0; i < shown; ++i) {
    const BusRecord& record = records[skip + i];
    const std::string line = formatReportLine(from + static_cast<int64_t>(i), record, previous, format);
    FUZZ_CHECK(line.size() < kMaxReportLineChars);
    expected += line + '\n';
    previous = timeTagOf(record);
  }
  if (toTheEnd) expected += "END OF DATA\n";
  const std::string rule = std::string(184, '-') + '\n';
  const size_t secondRule = report.find(rule, rule.size());
  FUZZ_CHECK(report.compare(0, rule.size(), rule) == 0 && secondRule != std::string::npos);
  FUZZ_CHECK(report.substr(secondRule + rule.size()) == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = fuzz::scratchPath("DATA.QEL");
  fuzz::writeScratchFile(path, data, size);
  const std::vector<BusRecord> records = recordsOf(data, size);
  ParameterBytes p{data, size};

  uint64_t count = 12345;
  FUZZ_CHECK(countRecords(path, count) == StatusCode::Success);
  FUZZ_CHECK(count == size / kBusRecordBytes);

  // One task a run: each scans with buffers of a megabyte or so, which is what a run costs.
  if (p.byte() % 3 == 0) {
    const int64_t n = static_cast<int64_t>(records.size());
    const int64_t froms[] = {1, 1 + p.byte() % 8, n, n + 1, n + 2, 0, -static_cast<int64_t>(p.byte()), INT64_MIN,
                             INT64_MAX};
    const int64_t lineCounts[] = {0, 1, p.byte() % 8, n, -1, INT64_MAX};
    const StackFormat format = static_cast<StackFormat>(1 + p.byte() % 6);
    const int64_t from = froms[p.byte() % (sizeof froms / sizeof froms[0])];
    const int64_t lines = lineCounts[p.byte() % (sizeof lineCounts / sizeof lineCounts[0])];
    checkReport(path, records, format, from, lines);
  } else {
    ScanOptions fullRead;
    fullRead.useIndex = false;
    checkSearch(path, records, p, fullRead);
  }
  return 0;
}
