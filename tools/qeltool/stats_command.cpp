// qeltool stats: a quick integrity check of a recording in one pass.
#include <cstdio>
#include <string>

#include "files/data_file.h"
#include "index/index_build.h"
#include "tools/qeltool/index_output.h"
#include "tools/qeltool/commands.h"
#include "tools/qeltool/input_file.h"
#include "tools/qeltool/file_results.h"
#include "tools/qeltool/progress_line.h"
#include "tools/qeltool/record_statistics.h"
#include "tools/qeltool/safe_output.h"
#include "tools/qeltool/tool_exit.h"

namespace {

// The gap as the report's GAP(uS) column and the search measure it, the step less 28 us, exact
// from whole half microseconds; shown as "972.0", "-27.5".
double gapMicros(uint64_t stepHalfMicros) {
  return (static_cast<double>(stepHalfMicros) - 2 * GapOffsetMicros) / 2.0;
}

// The figures of one file, as the JSON object and the text both show them.
JsonValue statisticsResult(const std::string& file, const RecordStatistics& s) {
  const auto tag = [&s](const TimeTag& t) { return s.records == 0 ? JsonValue(nullptr) : JsonValue(formatTimeTag(t)); };
  const auto orNull = [](bool given, const JsonValue& value) { return given ? value : JsonValue(nullptr); };
  const bool gap = s.largestStepLine != 0, back = s.backwardSteps != 0;
  return {{"file", file},
          {"bytes", s.bytes},
          {"records", s.records},
          {"trailing_bytes", s.bytes - s.records * kBusRecordBytes},
          {"channels", {{"J1", s.channelWords[0]}, {"J2", s.channelWords[1]}, {"J3", s.channelWords[2]},
                        {"J4", s.channelWords[3]}}},
          {"sync", {{"CMND", s.commandWords}, {"DATA", s.dataWords}}},
          // flagWords by errorFlags bit (Sh, Lg, Mn, Py), in the report's order Py, Mn, Lg, Sh.
          {"errors", {{"none", s.errorFreeWords}, {"Py", s.flagWords[3]}, {"Mn", s.flagWords[2]},
                      {"Lg", s.flagWords[1]}, {"Sh", s.flagWords[0]}}},
          {"first_time_tag", tag(s.firstTag)},
          {"last_time_tag", tag(s.lastTag)},
          {"largest_gap_us", orNull(gap, gapMicros(s.largestStepHalfMicros))},
          {"largest_gap_line", orNull(gap, s.largestStepLine)},
          {"backward_steps", s.backwardSteps},
          {"first_backward_line", orNull(back, s.firstBackwardLine)},
          {"impossible_time_tags", s.impossibleTimeTags},
          {"time_tags_checked", s.timeTagsChecked},
          {"looks_like_data_file", !mostTimeTagsImpossible(s)}};
}

// The text lines of the figures: a label in 20 columns, then its value.
std::string statisticsText(const JsonValue& r) {
  std::string text;
  const auto line = [&text](const std::string& label, const std::string& value) {
    text += label + std::string(label.size() < 20 ? 20 - label.size() : 1, ' ') + value + "\n";
  };
  const auto number = [](const JsonValue& value) { return value.dump(); };
  const auto tag = [](const JsonValue& value) { return value.is_null() ? "none" : value.get<std::string>(); };
  line("file", r["file"].get<std::string>());
  line("bytes", number(r["bytes"]));
  line("records", number(r["records"]));
  line("trailing bytes", number(r["trailing_bytes"]));
  for (const auto& channel : r["channels"].items()) line(channel.key() + " words", number(channel.value()));
  for (const auto& sync : r["sync"].items()) line(sync.key() + " words", number(sync.value()));
  for (const auto& flag : r["errors"].items()) {
    line((flag.key() == "none" ? std::string("NO ERRORS") : flag.key()) + " words", number(flag.value()));
  }
  line("first time tag", tag(r["first_time_tag"]));
  line("last time tag", tag(r["last_time_tag"]));
  line("largest gap (us)", r["largest_gap_line"].is_null() ? "none"
                                                           : number(r["largest_gap_us"]) + " before line " +
                                                                 number(r["largest_gap_line"]));
  line("time going back", number(r["backward_steps"]) + (r["first_backward_line"].is_null()
                                                              ? ""
                                                              : " (first before line " +
                                                                    number(r["first_backward_line"]) + ")"));
  line("impossible times", number(r["impossible_time_tags"]) + " of " + number(r["time_tags_checked"]) + " checked" +
                               (r["looks_like_data_file"].get<bool>() ? "" : ": this does not look like a data file"));
  return text;
}

// The figures of one file, printed; the file's exit code.
int statisticsOfFile(const StatsOptions& options, const std::string& file, bool afterAnother) {
  CommandInput input;  // a stream is read once, with no index
  if (const int refusedInput = examineInput("stats", file, input)) return refusedInput;
  uint64_t size = 0;
  if (FILE* probe = input.stream ? nullptr : openDataFile(file.c_str(), "rb")) {
    const int64_t bytes = dataFileSize(probe);
    size = bytes > 0 ? static_cast<uint64_t>(bytes) : 0;
    std::fclose(probe);
  }
  ProgressLine progress = progressOnTerminal();
  RecordStatistics statistics;
  StatusCode status = StatusCode::Success;
  if (options.noIndex || input.stream) {
    status = gatherRecordStatistics(file, statistics, [&](uint64_t bytesRead) {
      char text[96];
      std::snprintf(text, sizeof text, "stats: %.0f%% of %.1f GiB", size ? 100.0 * bytesRead / size : 0.0,
                    size / 1073741824.0);
      showProgress(progress, text);
    });
  } else {
    // From the saved index, made or brought up to date first: only the blocks it lacks are read.
    const ScanProgress indexProgress = percentProgress(progress, "stats");
    IndexRefresh refresh;
    status = refreshDataFileIndex(file, refresh, PassOptions{}, &indexProgress, &safeIndexWriter());
    if (ok(status)) statistics = statisticsFromEntries(refresh.entries, refresh.fileBytes);
    if (ok(status)) status = checkFirstBlockTimeTags(file, refresh.entries, statistics);
  }
  finishProgress(progress, false);
  if (!ok(status)) return failWithStatus("stats", status, file);
  const JsonValue result = statisticsResult(file, statistics);
  if (options.json) {
    std::printf("%s\n", jsonText(result).c_str());
  } else {
    // Several files: their blocks apart by an empty line.
    std::printf("%s%s", afterAnother ? "\n" : "", statisticsText(result).c_str());
  }
  return ExitSuccess;
}

}  // namespace

int runStats(const StatsOptions& options) {
  const int refused = refuseStandardOutputOverInputs("stats", options.files);
  if (refused != ExitSuccess) return refused;
  int exitCode = ExitNothingFound;
  bool printed = false;
  for (const std::string& file : options.files) {
    const int fileExit = statisticsOfFile(options, file, printed);
    printed = printed || fileExit == ExitSuccess;
    exitCode = combinedExit(exitCode, fileExit);
  }
  return exitCode;
}
