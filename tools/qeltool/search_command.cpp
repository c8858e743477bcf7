// qeltool search: the pattern search of "Get Line", "Get Number Of Ocurrences", or every match.
#include <cstdio>
#include <string>

#include "search/pattern_search.h"
#include "search/search_settings.h"
#include "tools/qeltool/progress_line.h"
#include "tools/qeltool/commands.h"
#include "tools/qeltool/index_output.h"
#include "tools/qeltool/criteria_options.h"
#include "tools/qeltool/file_results.h"
#include "tools/qeltool/input_file.h"
#include "tools/qeltool/input_search.h"
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

// Every matching line of one input, printed as it is found: a line each, or with --json one
// object {"file","lines","count"} written as it grows, so that memory stays the same however many
// lines match. A search that fails part way leaves the object unclosed: no reader takes it whole.
int listMatchingLines(const SearchOptions& options, const CommandInput& input, const SearchSettings& settings) {
  const std::string& file = input.name;
  uint64_t matches = 0;
  ProgressLine progressLine = progressOnTerminal();
  const ScanProgress progress = percentProgress(progressLine, "search");
  const ScanOptions scan = scanOptions(options.noIndex, progress);
  const std::string opening = "{\"file\":" + jsonQuoted(file) + ",\"lines\":[";
  const StatusCode status = forEachInputMatch(input, settings, [&](uint64_t line) {
    if (options.json) {
      std::printf("%s%llu", matches == 0 ? opening.c_str() : ",", ull(line));
    } else {
      std::printf("%llu\n", ull(line));
    }
    ++matches;
    return !standardOutputFailed();  // the rest could not be printed either
  }, scan);
  finishProgress(progressLine, false);
  if (!ok(status)) {
    if (options.json && matches > 0) std::putchar('\n');
    std::fflush(stdout);
    return failWithStatus("search", status, file);
  }
  if (options.json) {
    std::printf("%s],\"count\":%llu}\n", matches == 0 ? opening.c_str() : "", ull(matches));
  } else if (matches == 0) {
    std::fprintf(stderr, "qeltool search: %s\n", kNoneFound);
  }
  return matches == 0 ? ExitNothingFound : ExitSuccess;
}

// The N-th match or the number of matches in one file, printed.
int searchFile(const SearchOptions& options, const std::string& file, SearchSettings settings, bool several) {
  CommandInput input;  // a stream is read once, with no index
  if (const int refusedInput = examineInput("search", file, input)) return refusedInput;
  ProgressLine progressLine = progressOnTerminal();
  const ScanProgress progress = percentProgress(progressLine, "search");
  const StatusCode status = searchInputPattern(input, settings, scanOptions(options.noIndex, progress));
  finishProgress(progressLine, false);
  if (!ok(status)) return failWithStatus("search", status, file);
  // A line or a count, a whole number that the search's double holds exactly.
  const uint64_t result = static_cast<uint64_t>(settings.searchResult);
  const bool found = result != 0;
  if (options.count) {
    const JsonValue counted = {{"file", file}, {"count", result}};
    printFileResult(counted, options.json, several, std::to_string(counted["count"].get<uint64_t>()));
    return found ? ExitSuccess : ExitNothingFound;
  }
  const JsonValue nth = {{"file", file}, {"occurrence", options.nth}, {"found", found},
                         {"line", found ? JsonValue(result) : JsonValue(nullptr)}};
  if (options.json || found) {
    printFileResult(nth, options.json, false, nth["line"].dump());
  } else {
    std::fprintf(stderr, "qeltool search: %s\n", kNoneFound);
  }
  return found ? ExitSuccess : ExitNothingFound;
}

}  // namespace

int runSearch(const SearchOptions& options) {
  SearchSettings settings;
  std::string why;
  const StatusCode status = settingsFromOptions(options, settings, why);
  if (!ok(status)) return failWithStatus("search", status, why);
  if (options.files.size() > 1 && !options.count) {
    return usageError("search", "several files are searched with --count only");
  }
  const int refused = refuseStandardOutputOverInputs("search", options.files);
  if (refused != ExitSuccess) return refused;
  if (options.lines) {
    CommandInput input;  // a stream is read once, with no index
    if (const int refusedInput = examineInput("search", options.files.front(), input)) return refusedInput;
    return listMatchingLines(options, input, settings);
  }
  int exitCode = ExitNothingFound;
  for (const std::string& file : options.files) {
    exitCode = combinedExit(exitCode, searchFile(options, file, settings, options.files.size() > 1));
  }
  return exitCode;
}
