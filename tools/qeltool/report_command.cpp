// qeltool report: the View command's text report, to standard output or a file.
#include <cstdio>

#include "files/data_file.h"
#include "files/report.h"
#include "tools/qeltool/progress_line.h"
#include "tools/qeltool/commands.h"
#include "tools/qeltool/input_file.h"
#include "tools/qeltool/tool_exit.h"

namespace {

struct FormatName {
  const char* name;
  StackFormat format;
};

const FormatName kFormatNames[] = {
    {"binary", StackFormat::BinaryHex}, {"mdm", StackFormat::Mdm}, {"ldb", StackFormat::Ldb},
    {"mec", StackFormat::Mec},          {"eiu", StackFormat::Eiu}, {"1553", StackFormat::Mil1553},
};

}  // namespace

int runReport(const ReportOptions& options) {
  if (isDirectory(options.file))
    return failWithStatus("report", StatusCode::FileOpenError, options.file + " (a directory)");
  StackFormat format = StackFormat::BinaryHex;
  bool known = false;
  for (const FormatName& entry : kFormatNames) {
    if (options.format == entry.name) {
      format = entry.format;
      known = true;
    }
  }
  if (!known) return usageError("report", "unknown --format " + options.format);

  if (!options.output.empty()) {
    // The dialog's own writer, "QEL.TMP" replaced by the named file.
    ProgressLine progressLine = progressOnTerminal();
    const ScanProgress progress = percentProgress(progressLine, "report");
    const StatusCode status = writeReport(options.file, options.output, format, options.from, options.lines, &progress);
    finishProgress(progressLine, false);
    if (status == StatusCode::FileOpenError) {
      // Say which of the two files it was.
      FILE* probe = openDataFile(options.file.c_str(), "rb");
      const bool dataOpens = probe != nullptr;
      if (probe != nullptr) std::fclose(probe);
      return failWithStatus("report", status, dataOpens ? options.output : options.file);
    }
    if (!ok(status)) return failWithStatus("report", status, options.file);
    return ExitSuccess;
  }

  FILE* data = openDataFile(options.file.c_str(), "rb");
  if (data == nullptr) return failWithStatus("report", StatusCode::FileOpenError, options.file);
  ProgressLine progressLine = progressOnTerminal();
  const ScanProgress progress = percentProgress(progressLine, "report");
  StatusCode status = writeReportStream(data, stdout, format, options.from, options.lines, &progress);
  finishProgress(progressLine, false);
  std::fclose(data);
  if (std::fflush(stdout) != 0 && ok(status)) status = StatusCode::FileWriteError;
  if (!ok(status))
    return failWithStatus("report", status, status == StatusCode::FileWriteError ? "standard output" : options.file);
  return ExitSuccess;
}
