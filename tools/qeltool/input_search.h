// The pattern search over a command's input: a data file as pattern_search.h searches it, a
// stream (standard input, a pipe, a device) in one pass from its first record with no index.
// Both give the same matches, decided as the export's selection decides them.
#pragma once
#include <cstdint>
#include <functional>

#include "common/status_code.h"
#include "search/scan_options.h"
#include "search/search_settings.h"
#include "tools/qeltool/input_file.h"

// forEachMatch for the input; scan applies to a data file only.
StatusCode forEachInputMatch(const CommandInput& input, const SearchSettings& settings,
                             const std::function<bool(uint64_t line)>& onMatch, const ScanOptions& scan);

// find-time for the input: line as findTimeTag gives it, and the number of whole records. A
// stream is read once, to its end, for both.
StatusCode findInputTime(const CommandInput& input, double target, uint64_t& line, uint64_t& records,
                         const ScanOptions& scan);

// searchPattern for the input: searchResult is the line of the occurrence-th match (mode 0) or the
// number of matches (mode 1), 0 for none.
StatusCode searchInputPattern(const CommandInput& input, SearchSettings& settings, const ScanOptions& scan);
