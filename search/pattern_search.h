// The pattern search: every record of a data file tested against the criteria of SearchSettings,
// with the blocks that the saved index proves to hold no match skipped and, where the criteria
// allow, their matches counted from the index alone. Results are those of a full read.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "common/status_code.h"
#include "search/scan_options.h"
#include "search/search_settings.h"

// Calls onMatch(line) for every matching record in file order until it returns false.
// FileOpenError when the file cannot be opened. A trailing fragment of fewer than 16 bytes is
// ignored.
StatusCode forEachMatch(const std::string& path, const SearchSettings& settings,
                        const std::function<bool(uint64_t line)>& onMatch, const ScanOptions& options);
StatusCode forEachMatch(const std::string& path, const SearchSettings& settings,
                        const std::function<bool(uint64_t line)>& onMatch,
                        const ScanProgress* progress = nullptr);

// searchResult = the line of the occurrence-th match (mode 0) or the number of matches (mode 1),
// 0 for none; set to 0 first, also when the file cannot be opened (FileOpenError). progress, when
// given, hears the bytes passed of the file's size after each run of blocks.
StatusCode searchPattern(const std::string& path, SearchSettings& settings, const ScanOptions& options);
StatusCode searchPattern(const std::string& path, SearchSettings& settings, const ScanProgress* progress = nullptr);
