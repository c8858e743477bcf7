// qeltool report: the View command's text report, to standard output or a file.
#include <cstdio>

#include "files/data_file.h"
#include "files/report.h"
#include "tools/qeltool/commands.h"
#include "tools/qeltool/index_output.h"
#include "tools/qeltool/format_names.h"
#include "tools/qeltool/input_file.h"
#include "tools/qeltool/progress_line.h"
#include "tools/qeltool/safe_output.h"
#include "tools/qeltool/tool_exit.h"

namespace {

constexpr const char* kCommand = "report";

// No file holds 2^63 records, so a larger From or Lines acts as the largest the report takes.
int64_t reportCount(uint64_t value) { return value > INT64_MAX ? INT64_MAX : static_cast<int64_t>(value); }

}  // namespace

int runReport(const ReportOptions& options) {
  StackFormat format = StackFormat::BinaryHex;
  if (!stackFormatNamed(options.format, format)) return usageError(kCommand, "unknown --format " + options.format);
  const std::string outputName = options.output.empty() ? "-" : options.output;
  // A stream is read through to From.
  CommandInput input;
  int refused = examineInput(kCommand, options.file, input);
  if (refused == ExitSuccess) refused = refuseOutputOverInputs(kCommand, outputName, {options.file});
  if (refused == ExitSuccess) refused = refuseOutputAtIndex(kCommand, options.output, {options.file});
  if (refused == ExitSuccess) refused = refuseToReplaceData(kCommand, outputName, options.force);
  if (refused != ExitSuccess) return refused;

  FILE* data = openDataFile(options.file.c_str(), "rb");
  if (data == nullptr) return failWithStatus(kCommand, StatusCode::FileOpenError, options.file);
  // The named file takes the place of "QEL.TMP": text mode, as the dialog writes it.
  SafeOutput output;
  StatusCode status = openSafeOutput(output, outputName, OutputMode::Text);
  if (!ok(status)) {
    std::fclose(data);
    return failSafeOutput(kCommand, output, status);
  }
  ProgressLine progressLine = progressOnTerminal();
  const ScanProgress progress = percentProgress(progressLine, kCommand);
  status = writeReportStream(data, output.file, format, reportCount(options.from), reportCount(options.lines),
                             &progress);
  finishProgress(progressLine, false);
  std::fclose(data);
  if (ok(status)) {
    status = commitSafeOutput(output);
  } else {
    abandonSafeOutput(output);
  }
  if (status == StatusCode::FileWriteError) return failSafeOutput(kCommand, output, status);
  if (status == StatusCode::BusWordMissing) {
    std::fprintf(stderr, "qeltool %s: None Found: %s holds fewer than %llu records; nothing written\n", kCommand,
                 options.file.c_str(), static_cast<unsigned long long>(options.from - 1));
    return ExitNothingFound;
  }
  if (!ok(status)) return failWithStatus(kCommand, status, options.file);
  return ExitSuccess;
}
