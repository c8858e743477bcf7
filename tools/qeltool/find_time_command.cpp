// qeltool find-time: "Find Nearest TTag", the first record at or after a typed time tag, in each
// data file.
#include <cstdio>
#include <string>

#include "frontend/time_text.h"
#include "search/time_search.h"
#include "tools/qeltool/commands.h"
#include "tools/qeltool/file_results.h"
#include "tools/qeltool/index_output.h"
#include "tools/qeltool/input_file.h"
#include "tools/qeltool/input_search.h"
#include "tools/qeltool/progress_line.h"
#include "tools/qeltool/safe_output.h"
#include "tools/qeltool/tool_exit.h"

namespace {

// The View fields the dialog fills after a find: the found record becomes the eleventh of twenty.
constexpr uint64_t kFoundLineContext = 10;

// The time found in one file, printed; the file's exit code.
int findTimeInFile(const FindTimeOptions& options, const TypedTime& time, const std::string& file, bool several) {
  CommandInput input;  // a stream is read once, with no index
  if (const int refusedInput = examineInput("find-time", file, input)) return refusedInput;
  double first = 0.0;
  StatusCode status = StatusCode::Success;
  if (time.base == TimeBase::FirstRecord) {
    if (input.stream) return usageError("find-time", file + " is a stream; a time after the first record needs a data file");
    status = firstRecordMicros(file, first);
  }
  if (!ok(status)) return failWithStatus("find-time", status, file);
  uint64_t records = 0;
  uint64_t line = 0;
  ProgressLine progressLine = progressOnTerminal();
  const ScanProgress progress = percentProgress(progressLine, "find-time");
  ScanOptions scan;
  scan.progress = &progress;
  scan.useIndex = !options.noIndex;  // --no-index: the whole read, no index left
  scan.indexWriter = &safeIndexWriter();
  status = findInputTime(input, resolveTypedTime(time, first), line, records, scan);
  finishProgress(progressLine, false);
  if (!ok(status)) return failWithStatus("find-time", status, file);

  // Past the last record the line is the number of records plus one, as the dialog shows it.
  const bool found = line <= records;
  const JsonValue result = {{"file", file},
                            {"time", options.time},
                            {"target_us", resolveTypedTime(time, first, true)},
                            {"found", found},
                            {"line", line},
                            {"records", records},
                            {"view_from", line > kFoundLineContext ? line - kFoundLineContext : 1}};
  printFileResult(result, options.json, several, std::to_string(result["line"].get<uint64_t>()));
  if (!found && !options.json) {
    const std::string records = several ? "every record of " + file : "every record";
    std::fprintf(stderr, "qeltool find-time: None Found: %s is before %s\n", records.c_str(), options.time.c_str());
  }
  return found ? ExitSuccess : ExitNothingFound;
}

}  // namespace

int runFindTime(const FindTimeOptions& options) {
  TypedTime time;
  if (!ok(parseTypedTime(options.time, time))) {
    return failWithStatus("find-time", StatusCode::SyntaxError,
                          options.time + " (" + kTimeForms + ", day 0 to 366)");
  }
  const int refused = refuseStandardOutputOverInputs("find-time", options.files);
  if (refused != ExitSuccess) return refused;
  int exitCode = ExitNothingFound;
  for (const std::string& file : options.files) {
    exitCode = combinedExit(exitCode, findTimeInFile(options, time, file, options.files.size() > 1));
  }
  return exitCode;
}
