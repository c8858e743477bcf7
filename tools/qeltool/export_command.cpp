// qeltool export: the chosen records as an IRIG 106 Chapter 10 file or as CSV.
#include <cstdio>
#include <string>
#include <vector>

#include "export/chapter10_writer.h"
#include "export/csv_export.h"
#include "tools/qeltool/commands.h"
#include "tools/qeltool/index_output.h"
#include "tools/qeltool/criteria_options.h"
#include "tools/qeltool/format_names.h"
#include "tools/qeltool/input_file.h"
#include "tools/qeltool/progress_line.h"
#include "tools/qeltool/safe_output.h"
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

// Standard output cannot be taken back. The exporters hand their bytes over in large blocks, the
// first before the end only when it is full of chosen records: that first block (the CSV header,
// the Chapter 10 setup) is held, so that nothing chosen prints nothing.
struct HeldStart {
  ByteSink sink;
  std::vector<unsigned char> held;
  bool holding = true;

  bool release() {
    holding = false;
    return held.empty() || sink.write(held.data(), held.size());
  }
};

ByteSink heldStartSink(HeldStart& start) {
  return ByteSink{[&start](const unsigned char* bytes, size_t count) {
    if (start.holding && start.held.empty()) {
      start.held.assign(bytes, bytes + count);
      return true;
    }
    if (start.holding && !start.release()) return false;
    return start.sink.write(bytes, count);
  }};
}

}  // namespace

int runExport(const ExportOptions& options) {
  if (options.ch10 == options.csv) return usageError(kCommand, "give one of --ch10 and --csv");
  if (options.ch10 && options.output.empty()) {
    return usageError(kCommand, "--ch10 writes a binary file: give it with -o (-o - for standard output)");
  }
  StackFormat format = StackFormat::BinaryHex;
  if (!stackFormatNamed(options.format, format)) return usageError(kCommand, "unknown --format " + options.format);
  // A stream is refused a stretch before the stretch's times are looked up in it.
  CommandInput input;
  int refused = examineInput(kCommand, options.file, input);
  if (refused == ExitSuccess) refused = refuseStreamStretch(kCommand, input, options.stretch);
  if (refused != ExitSuccess) return refused;
  RecordSelection selection;
  std::string why;
  StatusCode status = stretchFromOptions(options.stretch, options.file, selection, why);
  if (ok(status)) status = criteriaFromOptions(options.criteria, selection.criteria, why);
  if (!ok(status)) return failWithStatus(kCommand, status, why);
  selection.criteriaGiven = !criteriaTakeEverything(selection.criteria);

  const std::string outputName = options.output.empty() ? "-" : options.output;
  const bool toFile = !isStandardOutputName(outputName);
  refused = refuseOutputOverInputs(kCommand, outputName, {options.file});
  if (refused == ExitSuccess) refused = refuseOutputAtIndex(kCommand, options.output, {options.file});
  if (refused == ExitSuccess) refused = refuseToReplaceData(kCommand, outputName, options.force);
  if (refused != ExitSuccess) return refused;
  // CSV rows end in CR LF already: binary either way.
  SafeOutput output;
  status = openSafeOutput(output, outputName, OutputMode::Binary);
  if (!ok(status)) return failSafeOutput(kCommand, output, status);
  HeldStart start;
  start.sink = fileByteSink(output.file);
  const ByteSink sink = toFile ? fileByteSink(output.file) : heldStartSink(start);

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
  if (ok(status) && records != 0 && !toFile && start.holding && !start.release()) status = StatusCode::FileWriteError;

  // Nothing chosen: nothing written, as a search that finds nothing.
  if (!ok(status) || records == 0) {
    abandonSafeOutput(output);
  } else {
    status = commitSafeOutput(output);
  }
  // A failed write to standard output is reported once, by main's finishStandardOutput.
  if (status == StatusCode::FileWriteError) return toFile ? failSafeOutput(kCommand, output, status) : ExitFailure;
  if (!ok(status) && status != StatusCode::BusWordMissing) return failWithStatus(kCommand, status, options.file);
  if (!input.stream) noteTrailingFragment(kCommand, options.file);
  if (records == 0) {
    std::fprintf(stderr, "qeltool %s: None Found: no record of %s was chosen; nothing written\n", kCommand,
                 options.file.c_str());
    return ExitNothingFound;
  }
  if (counts.daysOutOfRange != 0) {
    std::fprintf(stderr,
                 "qeltool %s: %llu time packets stand for a day of 400 or later (time-tag fields out of range) "
                 "and carry the day less 400\n",
                 kCommand, ull(counts.daysOutOfRange));
  }
  // The counts go to standard error when the export itself is on standard output.
  FILE* summary = toFile ? stdout : stderr;
  if (options.ch10) {
    std::fprintf(summary, "%llu records in %llu data packets, %llu time packets (time started anew %llu times)\n",
                 ull(records), ull(counts.dataPackets), ull(counts.timePackets), ull(counts.timeRestarts));
  } else if (toFile) {
    std::printf("%llu rows\n", ull(records));
  }
  return ExitSuccess;
}
