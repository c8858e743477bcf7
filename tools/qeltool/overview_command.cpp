// qeltool overview: a recording at a glance, as one self-contained HTML page.
#include <cstdio>

#include "export/overview_html.h"
#include "tools/qeltool/commands.h"
#include "tools/qeltool/index_output.h"
#include "tools/qeltool/input_file.h"
#include "tools/qeltool/progress_line.h"
#include "tools/qeltool/safe_output.h"
#include "tools/qeltool/tool_exit.h"

namespace {
constexpr const char* kCommand = "overview";
}  // namespace

int runOverview(const OverviewOptions& options) {
  CommandInput input;  // a stream is read once, from the front
  int refused = examineInput(kCommand, options.file, input);
  if (refused == ExitSuccess) refused = refuseOutputOverInputs(kCommand, options.output, {options.file});
  if (refused == ExitSuccess) refused = refuseOutputAtIndex(kCommand, options.output, {options.file});
  if (refused == ExitSuccess) refused = refuseToReplaceData(kCommand, options.output, options.force);
  if (refused != ExitSuccess) return refused;
  SafeOutput output;
  StatusCode status = openSafeOutput(output, options.output, OutputMode::Binary);
  if (!ok(status)) return failWithStatus(kCommand, status, options.output);
  ProgressLine progressLine = progressOnTerminal();
  const ScanProgress progress = percentProgress(progressLine, kCommand);
  const size_t slash = options.file.find_last_of("/\\");
  const std::string name = slash == std::string::npos ? options.file : options.file.substr(slash + 1);
  uint64_t records = 0;
  status = writeOverview(options.file, name, fileByteSink(output.file), records, &progress);
  finishProgress(progressLine, false);
  if (ok(status) && records != 0) {
    status = commitSafeOutput(output);
  } else {
    abandonSafeOutput(output);
  }
  if (status == StatusCode::FileWriteError) return failWithStatus(kCommand, status, options.output);
  if (!ok(status)) return failWithStatus(kCommand, status, options.file);
  if (records == 0) {
    std::fprintf(stderr, "qeltool %s: None Found: %s holds no record; nothing written\n", kCommand,
                 options.file.c_str());
    return ExitNothingFound;
  }
  return ExitSuccess;
}
