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
  // A stream is refused a stretch before the stretch's times are looked up in it.
  CommandInput input;
  int refused = examineInput(kCommand, options.file, input);
  if (refused == ExitSuccess) refused = refuseStreamStretch(kCommand, input, options.stretch);
  if (refused != ExitSuccess) return refused;
  RecordSelection selection;
  std::string why;
  StatusCode status = stretchFromOptions(options.stretch, options.file, selection, why);
  if (!ok(status)) return failWithStatus(kCommand, status, why);
  refused = refuseOutputOverInputs(kCommand, options.output, {options.file});
  if (refused == ExitSuccess) refused = refuseOutputAtIndex(kCommand, options.output, {options.file});
  if (refused == ExitSuccess) refused = refuseToReplaceData(kCommand, options.output, options.force);
  if (refused != ExitSuccess) return refused;
  SafeOutput output;
  status = openSafeOutput(output, options.output, OutputMode::Binary);
  if (!ok(status)) return failSafeOutput(kCommand, output, status);

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
  if (status == StatusCode::FileWriteError) return failSafeOutput(kCommand, output, status);
  if (!ok(status) && status != StatusCode::BusWordMissing) return failWithStatus(kCommand, status, options.file);
  if (!input.stream) noteTrailingFragment(kCommand, options.file);
  if (records == 0) {
    std::fprintf(stderr, "qeltool %s: None Found: no record of %s lies in the window; nothing written\n", kCommand,
                 options.file.c_str());
    return ExitNothingFound;
  }
  // The count would mix with the records on standard output.
  if (!isStandardOutputName(options.output)) std::printf("%llu records\n", static_cast<unsigned long long>(records));
  return ExitSuccess;
}
