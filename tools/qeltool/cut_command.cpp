// qeltool cut: a new data file of the records of a time window or a line range, byte for byte.
#include <cstdio>

#include "export/cut.h"
#include "tools/qeltool/commands.h"
#include "tools/qeltool/index_output.h"
#include "tools/qeltool/input_file.h"
#include "tools/qeltool/progress_line.h"
#include "tools/qeltool/safe_output.h"
#include "tools/qeltool/stretch_options.h"
#include "tools/qeltool/tool_exit.h"

namespace {
constexpr const char* kCommand = "cut";
}  // namespace

int runCut(const CutOptions& options) {
  RecordSelection selection;
  std::string why;
  StatusCode status = stretchFromOptions(options.stretch, options.file, selection, why);
  if (!ok(status)) return failWithStatus(kCommand, status, why);
  const int refused = refuseOutputOverInputs(kCommand, options.output, {options.file});
  if (refused != ExitSuccess) return refused;
  if (const int atIndex = refuseOutputAtIndex(kCommand, options.output, {options.file})) return atIndex;
  if (isDirectory(options.file)) {
    return failWithStatus(kCommand, StatusCode::FileOpenError, options.file + " (a directory)");
  }
  SafeOutput output;
  status = openSafeOutput(output, options.output, OutputMode::Binary);
  if (!ok(status)) return failWithStatus(kCommand, status, options.output);

  ProgressLine progressLine = progressOnTerminal();
  const ScanProgress progress = percentProgress(progressLine, kCommand);
  uint64_t records = 0;
  status = cutRecords(options.file, selection, fileByteSink(output.file), records, &progress);
  finishProgress(progressLine, false);
  if (ok(status) && records != 0) {
    status = commitSafeOutput(output);
  } else {
    abandonSafeOutput(output);
  }
  if (status == StatusCode::FileWriteError) return failWithStatus(kCommand, status, options.output);
  if (!ok(status)) return failWithStatus(kCommand, status, options.file);
  noteTrailingFragment(kCommand, options.file);
  if (records == 0) {
    std::fprintf(stderr, "qeltool %s: None Found: no record of %s lies in the window; nothing written\n", kCommand,
                 options.file.c_str());
    return ExitNothingFound;
  }
  std::printf("%llu records\n", static_cast<unsigned long long>(records));
  return ExitSuccess;
}
