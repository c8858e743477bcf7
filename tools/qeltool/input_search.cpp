#include "tools/qeltool/input_search.h"

#include "export/record_selection.h"
#include "files/bus_record.h"
#include "files/record_blocks.h"
#include "files/record_clock.h"
#include "files/record_count.h"
#include "search/pattern_search.h"
#include "search/time_search.h"

StatusCode forEachInputMatch(const CommandInput& input, const SearchSettings& settings,
                             const std::function<bool(uint64_t line)>& onMatch, const ScanOptions& scan) {
  if (!input.stream) return forEachMatch(input.name, settings, onMatch, scan);
  RecordSelection selection;
  selection.criteriaGiven = true;
  selection.criteria = settings;
  // The selection hands the matches over one by one.
  return forEachSelectedRun(input.name, selection,
                            [&](uint64_t line, const unsigned char*, size_t) { return onMatch(line); });
}

StatusCode searchInputPattern(const CommandInput& input, SearchSettings& settings, const ScanOptions& scan) {
  if (!input.stream) return searchPattern(input.name, settings, scan);
  const bool counting = settings.searchMode == 1;
  uint64_t matches = 0;
  uint64_t line = 0;
  settings.searchResult = 0.0;
  const StatusCode status = forEachInputMatch(
      input, settings,
      [&](uint64_t matched) {
        ++matches;
        if (counting || static_cast<double>(matches) < settings.occurrence) return true;
        line = matched;
        return false;
      },
      scan);
  settings.searchResult = static_cast<double>(counting ? matches : line);
  return status;
}

StatusCode findInputTime(const CommandInput& input, double target, uint64_t& line, uint64_t& records,
                         const ScanOptions& scan) {
  line = records = 0;
  if (!input.stream) {
    const StatusCode status = findTimeTag(input.name, target, line, scan);
    return ok(status) ? countRecords(input.name, records) : status;
  }
  RecordBlockReader reader;
  if (!openRecordBlocks(reader, input.name)) return StatusCode::FileOpenError;
  const uint64_t wanted = firstHalfMicrosAtOrAfter(target);
  HalfMicrosClock clock;
  const unsigned char* block = nullptr;
  size_t count;
  while ((count = nextRecordBlock(reader, block)) > 0) {
    for (size_t i = 0; line == 0 && i < count; ++i) {
      if (recordHalfMicros(clock, block + i * kBusRecordBytes) >= wanted) line = records + i + 1;
    }
    records += count;
  }
  closeRecordBlocks(reader);
  if (line == 0) line = records + 1;
  return StatusCode::Success;
}
