// The pattern search: one sequential pass over a data file, testing every record against the
// criteria of SearchSettings.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "common/status_code.h"
#include "files/scan_progress.h"
#include "search/search_settings.h"

// Whether one record with its neighbours' times matches (times in microseconds).
struct BusRecord;
bool recordMatches(const SearchSettings& settings, const BusRecord& record, double tCur, bool prevValid,
                   double tPrev, bool nextValid, double tNext);

// Calls onMatch(line) for every matching record in file order until it returns false.
// Status 5 when the file cannot be opened. A trailing fragment of fewer than 16 bytes is ignored.
StatusCode forEachMatch(const std::string& path, const SearchSettings& settings,
                        const std::function<bool(uint64_t line)>& onMatch,
                        const ScanProgress* progress = nullptr);

// searchResult = the line of the occurrence-th match (mode 0) or the number of matches (mode 1),
// 0 for none; set to 0 first, also when the file cannot be opened (status 5). progress, when
// given, hears the bytes read of the file's size after each block.
StatusCode searchPattern(const std::string& path, SearchSettings& settings, const ScanProgress* progress = nullptr);
