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
#include "tools/qeltool/standard_output.h"
#include "tools/qeltool/tool_exit.h"

namespace {

// No file holds 2^63 records, so a larger From or Lines acts as the largest the report takes.
int64_t reportCount(uint64_t value) { return value > INT64_MAX ? INT64_MAX : static_cast<int64_t>(value); }

}  // namespace

int runReport(const ReportOptions& options) {
  StackFormat format = StackFormat::BinaryHex;
  if (!stackFormatNamed(options.format, format)) return usageError("report", "unknown --format " + options.format);
  const bool toFile = !options.output.empty();
  const int refused = toFile ? refuseOutputOverInputs("report", options.output, {options.file})
                             : refuseStandardOutputOverInputs("report", {options.file});
  if (refused != ExitSuccess) return refused;
  if (const int atIndex = refuseOutputAtIndex("report", options.output, {options.file})) return atIndex;
  if (isDirectory(options.file))
    return failWithStatus("report", StatusCode::FileOpenError, options.file + " (a directory)");

  FILE* data = openDataFile(options.file.c_str(), "rb");
  if (data == nullptr) return failWithStatus("report", StatusCode::FileOpenError, options.file);
  // The named file takes the place of "QEL.TMP": text mode, as the dialog writes it.
  SafeOutput output;
  if (toFile) {
    const StatusCode status = openSafeOutput(output, options.output, OutputMode::Text);
    if (!ok(status)) {
      std::fclose(data);
      return failWithStatus("report", status, options.output);
    }
  }
  ProgressLine progressLine = progressOnTerminal();
  const ScanProgress progress = percentProgress(progressLine, "report");
  StatusCode status = writeReportStream(data, toFile ? output.file : stdout, format, reportCount(options.from),
                                        reportCount(options.lines), &progress);
  finishProgress(progressLine, false);
  std::fclose(data);
  if (toFile) {
    if (ok(status)) {
      status = commitSafeOutput(output);
    } else {
      abandonSafeOutput(output);
    }
  }
  if (status == StatusCode::FileWriteError)
    return failWithStatus("report", status, toFile ? options.output : kStandardOutputName);
  if (!ok(status)) return failWithStatus("report", status, options.file);
  return ExitSuccess;
}
