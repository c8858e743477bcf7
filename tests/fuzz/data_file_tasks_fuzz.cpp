// Runs the data-file tasks over a data file of any bytes and length: the record count, and one of
// the text report (any format, from and line count), the pattern search (either mode, or every
// match) and the time-tag search. The file is the whole input; the task and its parameters are
// taken from its first bytes. Results are
// checked against the record-by-record forms (recordMatches, timeTagMicros, formatReportLine),
// which the block-wise scans and the buffered report must agree with. The searches read the whole
// file (the saved index has a target of its own, index_damage).
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "files/bus_record.h"
#include "files/record_count.h"
#include "files/report.h"
#include "files/report_line.h"
#include "search/pattern_search.h"
#include "search/search_settings.h"
#include "search/time_search.h"
#include "tests/fuzz/fuzz_parameters.h"
#include "tests/fuzz/fuzz_scratch.h"
#include "tests/support/record_oracles.h"

namespace {

std::vector<BusRecord> recordsOf(const uint8_t* data, size_t size) {
  std::vector<BusRecord> records;
  for (size_t at = 0; at + kBusRecordBytes <= size; at += kBusRecordBytes) {
    records.push_back(busRecordFromBytes(data + at));
  }
  return records;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    FUZZ_CHECK(end != std::string::npos);  // every line ends with a line end
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
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

  const std::vector<std::string> got = linesOf(report);
  FUZZ_CHECK(got.size() == 3 + shown + (toTheEnd ? 1 : 0));
  FUZZ_CHECK(got[0] == std::string(184, '-') && got[2] == got[0]);
  TimeTag previous{{0, 0, 0, 0}};
  for (uint64_t i = 0; i < shown; ++i) {
    const BusRecord& record = records[skip + i];
    const std::string expected = formatReportLine(from + static_cast<int64_t>(i), record, previous, format);
    FUZZ_CHECK(got[3 + i] == expected);
    FUZZ_CHECK(expected.size() < kMaxReportLineChars);
    previous = timeTagOf(record);
  }
  if (toTheEnd) FUZZ_CHECK(got.back() == "END OF DATA");
}

// The lines of every match, record by record.
std::vector<uint64_t> matchingLines(const SearchSettings& settings, const std::vector<BusRecord>& records) {
  std::vector<uint64_t> lines;
  for (size_t i = 0; i < records.size(); ++i) {
    const double now = timeTagMicros(timeTagOf(records[i]));
    const bool prevValid = i > 0, nextValid = i + 1 < records.size();
    const double before = prevValid ? timeTagMicros(timeTagOf(records[i - 1])) : 0.0;
    const double after = nextValid ? timeTagMicros(timeTagOf(records[i + 1])) : 0.0;
    if (recordMatches(settings, records[i], now, prevValid, before, nextValid, after)) lines.push_back(i + 1);
  }
  return lines;
}

void checkSearch(const std::string& path, const std::vector<BusRecord>& records, ParameterBytes& p) {
  SearchSettings settings = settingsFrom(p);
  ScanOptions fullRead;
  fullRead.useIndex = false;
  const std::vector<uint64_t> expected = matchingLines(settings, records);
  switch (p.byte() % 3) {
    case 0: {
      std::vector<uint64_t> visited;
      FUZZ_CHECK(forEachMatch(path, settings, [&](uint64_t line) {
                   visited.push_back(line);
                   return true;
                 }, fullRead) == StatusCode::Success);
      FUZZ_CHECK(visited == expected);
      break;
    }
    case 1:
      settings.searchMode = 1;
      FUZZ_CHECK(searchPattern(path, settings, fullRead) == StatusCode::Success);
      FUZZ_CHECK(settings.searchResult == static_cast<double>(expected.size()));
      break;
    default: {
      settings.searchMode = 0;
      FUZZ_CHECK(searchPattern(path, settings, fullRead) == StatusCode::Success);
      const double occurrence = settings.occurrence;
      const double wanted = occurrence <= static_cast<double>(expected.size())
                                ? static_cast<double>(expected[static_cast<size_t>(occurrence) - 1])
                                : 0.0;
      FUZZ_CHECK(settings.searchResult == wanted);
      break;
    }
  }
}

void checkTimeSearch(const std::string& path, const std::vector<BusRecord>& records, ParameterBytes& p) {
  // A typed time, or a record's own time nudged by up to a few microseconds either way.
  double target = 0.0;
  const uint8_t choice = p.byte();
  if (choice < 128 || records.empty()) {
    char fields[5][8];
    for (auto& field : fields) std::snprintf(field, sizeof field, "%u", p.byte() % 100u);
    std::snprintf(fields[0], sizeof fields[0], "%u", p.word() % 400u);
    std::snprintf(fields[4], sizeof fields[4], "%06u", p.word() % 1000000u);
    if (parseTimeTagFields(fields[0], fields[1], fields[2], fields[3], fields[4], target) != StatusCode::Success) {
      FUZZ_CHECK(target == 0.0);
    }
  } else {
    const BusRecord& record = records[p.byte() % records.size()];
    target = timeTagMicros(timeTagOf(record)) + (static_cast<int>(p.byte() % 9) - 4) * 0.5;
  }
  uint64_t expected = 1;
  while (expected <= records.size() && timeTagMicros(timeTagOf(records[expected - 1])) < target) ++expected;
  uint64_t line = 99;
  ScanOptions fullRead;
  fullRead.useIndex = false;
  FUZZ_CHECK(findTimeTag(path, target, line, fullRead) == StatusCode::Success);
  FUZZ_CHECK(line == expected);
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
  switch (p.byte() % 3) {
    case 0: {
      const int64_t n = static_cast<int64_t>(records.size());
      const int64_t froms[] = {1, 1 + p.byte() % 8, n, n + 1, n + 2, 0, -static_cast<int64_t>(p.byte()), INT64_MIN,
                               INT64_MAX};
      const int64_t lineCounts[] = {0, 1, p.byte() % 8, n, -1, INT64_MAX};
      const StackFormat format = static_cast<StackFormat>(1 + p.byte() % 6);
      const int64_t from = froms[p.byte() % (sizeof froms / sizeof froms[0])];
      const int64_t lines = lineCounts[p.byte() % (sizeof lineCounts / sizeof lineCounts[0])];
      checkReport(path, records, format, from, lines);
      break;
    }
    case 1:
      checkSearch(path, records, p);
      break;
    default:
      checkTimeSearch(path, records, p);
      break;
  }
  return 0;
}
