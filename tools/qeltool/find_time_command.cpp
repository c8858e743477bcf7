// qeltool find-time: "Find Nearest TTag", the first record at or after a typed time tag.
#include <cstdio>
#include <string>

#include "search/time_search.h"
#include "tools/qeltool/progress_line.h"
#include "tools/qeltool/commands.h"
#include "tools/qeltool/index_output.h"
#include "tools/qeltool/input_file.h"
#include "tools/qeltool/input_search.h"
#include "frontend/json_text.h"
#include "tools/qeltool/safe_output.h"
#include "frontend/time_text.h"
#include "tools/qeltool/tool_exit.h"

namespace {
// The View fields the dialog fills after a find: the found record becomes the eleventh of twenty.
constexpr uint64_t kFoundLineContext = 10;
}  // namespace

int runFindTime(const FindTimeOptions& options) {
  double target = 0.0;
  StatusCode status = parseTimeText(options.time, target);
  if (!ok(status)) {
    return failWithStatus("find-time", status, options.time + " (DDD:HH:MM:SS[.fraction], day 0 to 366)");
  }
  const int refused = refuseStandardOutputOverInputs("find-time", {options.file});
  if (refused != ExitSuccess) return refused;
  CommandInput input;  // a stream is read once, with no index
  if (const int refusedInput = examineInput("find-time", options.file, input)) return refusedInput;
  uint64_t records = 0;
  uint64_t line = 0;
  ProgressLine progressLine = progressOnTerminal();
  const ScanProgress progress = percentProgress(progressLine, "find-time");
  ScanOptions scan;
  scan.progress = &progress;
  scan.useIndex = !options.noIndex;  // --no-index: the whole read, no index left
  scan.indexWriter = &safeIndexWriter();
  status = findInputTime(input, target, line, records, scan);
  finishProgress(progressLine, false);
  if (!ok(status)) return failWithStatus("find-time", status, options.file);

  // Past the last record the line is the number of records plus one, as the dialog shows it.
  const bool found = line <= records;
  const uint64_t viewFrom = line > kFoundLineContext ? line - kFoundLineContext : 1;
  if (options.json) {
    std::printf(
        "{\"file\": %s, \"time\": %s, \"target_us\": %s, \"found\": %s, \"line\": %llu, "
        "\"records\": %llu, \"view_from\": %llu}\n",
        jsonQuoted(options.file).c_str(), jsonQuoted(options.time).c_str(), exactMicrosText(options.time).c_str(),
        found ? "true" : "false",
        static_cast<unsigned long long>(line), static_cast<unsigned long long>(records),
        static_cast<unsigned long long>(viewFrom));
  } else {
    std::printf("%llu\n", static_cast<unsigned long long>(line));
    if (!found) {
      std::fprintf(stderr, "qeltool find-time: None Found: every record is before %s\n", options.time.c_str());
    }
  }
  return found ? ExitSuccess : ExitNothingFound;
}
