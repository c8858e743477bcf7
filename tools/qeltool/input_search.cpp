#include "tools/qeltool/input_search.h"

#include "export/record_selection.h"
#include "search/pattern_search.h"

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
