// qeltool export: the chosen records as an IRIG 106 Chapter 10 file or as CSV.
#include <cstdio>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "export/chapter10_writer.h"
#include "export/csv_export.h"
#include "tools/qeltool/commands.h"
#include "tools/qeltool/index_output.h"
#include "tools/qeltool/criteria_options.h"
#include "tools/qeltool/format_names.h"
#include "tools/qeltool/input_file.h"
#include "tools/qeltool/progress_line.h"
#include "tools/qeltool/safe_output.h"
#include "tools/qeltool/standard_output.h"
#include "tools/qeltool/stretch_options.h"
#include "tools/qeltool/tool_exit.h"

namespace {

constexpr const char* kCommand = "export";

unsigned long long ull(uint64_t value) { return static_cast<unsigned long long>(value); }

// The data file's name without its folder, for the setup record.
std::string fileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int runExport(const ExportOptions& options) {
  if (options.ch10 == options.csv) return usageError(kCommand, "give one of --ch10 and --csv");
  if (options.ch10 && options.output.empty()) {
    return usageError(kCommand, "--ch10 writes a binary file: give it with -o");
  }
  StackFormat format = StackFormat::BinaryHex;
  if (!stackFormatNamed(options.format, format)) return usageError(kCommand, "unknown --format " + options.format);
  RecordSelection selection;
  std::string why;
  StatusCode status = stretchFromOptions(options.stretch, options.file, selection, why);
  if (ok(status)) status = criteriaFromOptions(options.criteria, selection.criteria, why);
  if (!ok(status)) return failWithStatus(kCommand, status, why);
  selection.criteriaGiven = !criteriaTakeEverything(selection.criteria);

  const bool toFile = !options.output.empty();
  const int refused = toFile ? refuseOutputOverInputs(kCommand, options.output, {options.file})
                             : refuseStandardOutputOverInputs(kCommand, {options.file});
  if (refused != ExitSuccess) return refused;
  if (const int atIndex = refuseOutputAtIndex(kCommand, options.output, {options.file})) return atIndex;
  if (isDirectory(options.file)) {
    return failWithStatus(kCommand, StatusCode::FileOpenError, options.file + " (a directory)");
  }
  SafeOutput output;
  if (toFile) {
    status = openSafeOutput(output, options.output, OutputMode::Binary);
    if (!ok(status)) return failWithStatus(kCommand, status, options.output);
  } else {
#ifdef _WIN32
    // The rows end in CR LF already.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
  }
  const ByteSink sink = fileByteSink(toFile ? output.file : stdout);

  ProgressLine progressLine = progressOnTerminal();
  const ScanProgress progress = percentProgress(progressLine, kCommand);
  uint64_t records = 0;
  Chapter10Counts counts;
  if (options.ch10) {
    status = exportChapter10(options.file, selection, fileNameOf(options.file), sink, counts, &progress);
    records = counts.records;
  } else {
    status = exportCsv(options.file, selection, format, sink, records, &progress);
  }
  finishProgress(progressLine, false);

  // Nothing chosen: no file, as a search that finds nothing.
  if (toFile && (!ok(status) || records == 0)) {
    abandonSafeOutput(output);
  } else if (toFile) {
    status = commitSafeOutput(output);
  }
  // A failed write to standard output is reported once, by main's finishStandardOutput.
  if (status == StatusCode::FileWriteError) return toFile ? failWithStatus(kCommand, status, options.output) : ExitFailure;
  if (!ok(status)) return failWithStatus(kCommand, status, options.file);
  noteTrailingFragment(kCommand, options.file);
  if (records == 0) {
    std::fprintf(stderr, "qeltool %s: None Found: no record of %s was chosen%s\n", kCommand, options.file.c_str(),
                 toFile ? "; nothing written" : "");
    return ExitNothingFound;
  }
  if (counts.daysOutOfRange != 0) {
    std::fprintf(stderr,
                 "qeltool %s: %llu time packets stand for a day of 400 or later (time-tag fields out of range) "
                 "and carry the day less 400\n",
                 kCommand, ull(counts.daysOutOfRange));
  }
  if (options.ch10) {
    std::printf("%llu records in %llu data packets, %llu time packets (time started anew %llu times)\n",
                ull(records), ull(counts.dataPackets), ull(counts.timePackets), ull(counts.timeRestarts));
  } else if (toFile) {
    std::printf("%llu rows\n", ull(records));
  }
  return ExitSuccess;
}
