// qeltool search: the pattern search of "Get Line", "Get Number Of Ocurrences", or every match.
#include <cstdio>
#include <string>

#include "search/pattern_search.h"
#include "search/search_settings.h"
#include "tools/qeltool/progress_line.h"
#include "tools/qeltool/commands.h"
#include "tools/qeltool/index_output.h"
#include "tools/qeltool/criteria_options.h"
#include "tools/qeltool/input_file.h"
#include "tools/qeltool/input_search.h"
#include "frontend/json_text.h"
#include "tools/qeltool/safe_output.h"
#include "tools/qeltool/standard_output.h"
#include "tools/qeltool/tool_exit.h"

namespace {

constexpr const char* kNoneFound = "None Found";

unsigned long long ull(uint64_t value) { return static_cast<unsigned long long>(value); }

// The criteria, the mode and the occurrence sought. SyntaxError (with why) for anything malformed.
StatusCode settingsFromOptions(const SearchOptions& options, SearchSettings& settings, std::string& why) {
  const StatusCode status = criteriaFromOptions(options.criteria, settings, why);
  settings.searchMode = (options.count || options.lines) ? 1 : 0;
  // Occurrences beyond the number of records any file holds are all alike to the search's double.
  if (settings.searchMode == 0) settings.occurrence = static_cast<double>(options.nth);
  return status;
}

// With the saved index unless --no-index: then the whole file is read and no index left.
ScanOptions scanOptions(bool noIndex, const ScanProgress& progress) {
  ScanOptions scan;
  scan.progress = &progress;
  scan.useIndex = !noIndex;
  scan.indexWriter = &safeIndexWriter();
  return scan;
}

int listMatchingLines(const SearchOptions& options, const CommandInput& input, const SearchSettings& settings) {
  uint64_t matches = 0;
  if (options.json) std::printf("{\"file\": %s, \"lines\": [", jsonQuoted(options.file).c_str());
  ProgressLine progressLine = progressOnTerminal();
  const ScanProgress progress = percentProgress(progressLine, "search");
  const ScanOptions scan = scanOptions(options.noIndex, progress);
  const StatusCode status = forEachInputMatch(input, settings, [&](uint64_t line) {
    if (options.json) {
      std::printf(matches == 0 ? "%llu" : ", %llu", ull(line));
    } else {
      std::printf("%llu\n", ull(line));
    }
    ++matches;
    return !standardOutputFailed();  // the rest could not be printed either
  }, scan);
  finishProgress(progressLine, false);
  if (!ok(status)) {
    std::fflush(stdout);
    return failWithStatus("search", status, options.file);
  }
  if (options.json) std::printf("], \"count\": %llu}\n", ull(matches));
  if (matches == 0 && !options.json) std::fprintf(stderr, "qeltool search: %s\n", kNoneFound);
  return matches == 0 ? ExitNothingFound : ExitSuccess;
}

}  // namespace

int runSearch(const SearchOptions& options) {
  SearchSettings settings;
  std::string why;
  StatusCode status = settingsFromOptions(options, settings, why);
  if (!ok(status)) return failWithStatus("search", status, why);
  const int refused = refuseStandardOutputOverInputs("search", {options.file});
  if (refused != ExitSuccess) return refused;

  CommandInput input;  // a stream is read once, with no index
  if (const int refusedInput = examineInput("search", options.file, input)) return refusedInput;
  if (options.lines) return listMatchingLines(options, input, settings);

  ProgressLine progressLine = progressOnTerminal();
  const ScanProgress progress = percentProgress(progressLine, "search");
  status = searchInputPattern(input, settings, scanOptions(options.noIndex, progress));
  finishProgress(progressLine, false);
  if (!ok(status)) return failWithStatus("search", status, options.file);
  // A line or a count, a whole number that the search's double holds exactly.
  const uint64_t result = static_cast<uint64_t>(settings.searchResult);
  const bool found = result != 0;
  if (options.count) {
    if (options.json) {
      std::printf("{\"file\": %s, \"count\": %llu}\n", jsonQuoted(options.file).c_str(), ull(result));
    } else {
      std::printf("%llu\n", ull(result));
    }
  } else if (options.json) {
    std::printf("{\"file\": %s, \"occurrence\": %llu, \"found\": %s, \"line\": ", jsonQuoted(options.file).c_str(),
                ull(options.nth), found ? "true" : "false");
    if (found) {
      std::printf("%llu}\n", ull(result));
    } else {
      std::printf("null}\n");
    }
  } else if (found) {
    std::printf("%llu\n", ull(result));
  } else {
    std::fprintf(stderr, "qeltool search: %s\n", kNoneFound);
  }
  return found ? ExitSuccess : ExitNothingFound;
}
