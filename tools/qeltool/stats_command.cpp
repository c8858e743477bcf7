// qeltool stats: a quick integrity check of a recording in one pass.
#include <cstdio>
#include <string>

#include "files/data_file.h"
#include "index/index_build.h"
#include "tools/qeltool/index_output.h"
#include "tools/qeltool/commands.h"
#include "tools/qeltool/input_file.h"
#include "frontend/json_text.h"
#include "tools/qeltool/progress_line.h"
#include "tools/qeltool/record_statistics.h"
#include "tools/qeltool/safe_output.h"
#include "tools/qeltool/tool_exit.h"

namespace {

// Sh, Lg, Mn, Py by errorFlags bit; shown in the report's order Py, Mn, Lg, Sh.
const char* const kFlagNames[4] = {"Sh", "Lg", "Mn", "Py"};
const int kFlagOrder[4] = {3, 2, 1, 0};

// The gap as the report's GAP(uS) column and the search measure it, the step less 28 us, written
// from whole half microseconds: "972.0", "-27.5".
std::string gapText(uint64_t stepHalfMicros) {
  const auto offset = static_cast<uint64_t>(2 * GapOffsetMicros);
  const bool below = stepHalfMicros < offset;
  const uint64_t halves = below ? offset - stepHalfMicros : stepHalfMicros - offset;
  return (below ? "-" : "") + std::to_string(halves / 2) + (halves % 2 != 0 ? ".5" : ".0");
}

unsigned long long ull(uint64_t value) { return static_cast<unsigned long long>(value); }

void printText(const std::string& file, const RecordStatistics& s) {
  std::printf("file                %s\n", file.c_str());
  std::printf("bytes               %llu\n", ull(s.bytes));
  std::printf("records             %llu\n", ull(s.records));
  std::printf("trailing bytes      %llu\n", ull(s.bytes - s.records * kBusRecordBytes));
  for (int j = 0; j < 4; ++j) std::printf("J%d words            %llu\n", j + 1, ull(s.channelWords[j]));
  std::printf("CMND words          %llu\n", ull(s.commandWords));
  std::printf("DATA words          %llu\n", ull(s.dataWords));
  std::printf("NO ERRORS words     %llu\n", ull(s.errorFreeWords));
  for (const int bit : kFlagOrder) std::printf("%s words            %llu\n", kFlagNames[bit], ull(s.flagWords[bit]));
  if (s.records == 0) {
    std::printf("first time tag      none\n");
    std::printf("last time tag       none\n");
  } else {
    std::printf("first time tag      %s\n", formatTimeTag(s.firstTag).c_str());
    std::printf("last time tag       %s\n", formatTimeTag(s.lastTag).c_str());
  }
  if (s.largestStepLine == 0) {
    std::printf("largest gap (us)    none\n");
  } else {
    std::printf("largest gap (us)    %s before line %llu\n", gapText(s.largestStepHalfMicros).c_str(),
                ull(s.largestStepLine));
  }
  if (s.backwardSteps == 0) {
    std::printf("time going back     0\n");
  } else {
    std::printf("time going back     %llu (first before line %llu)\n", ull(s.backwardSteps), ull(s.firstBackwardLine));
  }
  std::printf("impossible times    %llu of %llu checked%s\n", ull(s.impossibleTimeTags), ull(s.timeTagsChecked),
              mostTimeTagsImpossible(s) ? ": this does not look like a data file" : "");
}

std::string jsonTag(const RecordStatistics& s, const TimeTag& tag) {
  return s.records == 0 ? "null" : jsonQuoted(formatTimeTag(tag));
}

void printJson(const std::string& file, const RecordStatistics& s) {
  std::printf("{\"file\": %s, \"bytes\": %llu, \"records\": %llu, \"trailing_bytes\": %llu,\n",
              jsonQuoted(file).c_str(), ull(s.bytes), ull(s.records), ull(s.bytes - s.records * kBusRecordBytes));
  std::printf(" \"channels\": {\"J1\": %llu, \"J2\": %llu, \"J3\": %llu, \"J4\": %llu},\n", ull(s.channelWords[0]),
              ull(s.channelWords[1]), ull(s.channelWords[2]), ull(s.channelWords[3]));
  std::printf(" \"sync\": {\"CMND\": %llu, \"DATA\": %llu},\n", ull(s.commandWords), ull(s.dataWords));
  std::printf(" \"errors\": {\"none\": %llu, \"Py\": %llu, \"Mn\": %llu, \"Lg\": %llu, \"Sh\": %llu},\n",
              ull(s.errorFreeWords), ull(s.flagWords[3]), ull(s.flagWords[2]), ull(s.flagWords[1]),
              ull(s.flagWords[0]));
  std::printf(" \"first_time_tag\": %s, \"last_time_tag\": %s,\n", jsonTag(s, s.firstTag).c_str(),
              jsonTag(s, s.lastTag).c_str());
  if (s.largestStepLine == 0) {
    std::printf(" \"largest_gap_us\": null, \"largest_gap_line\": null,\n");
  } else {
    std::printf(" \"largest_gap_us\": %s, \"largest_gap_line\": %llu,\n", gapText(s.largestStepHalfMicros).c_str(),
                ull(s.largestStepLine));
  }
  std::printf(" \"impossible_time_tags\": %llu, \"time_tags_checked\": %llu, \"looks_like_data_file\": %s,\n",
              ull(s.impossibleTimeTags), ull(s.timeTagsChecked), mostTimeTagsImpossible(s) ? "false" : "true");
  std::printf(" \"backward_steps\": %llu, \"first_backward_line\": ", ull(s.backwardSteps));
  if (s.backwardSteps == 0) {
    std::printf("null}\n");
  } else {
    std::printf("%llu}\n", ull(s.firstBackwardLine));
  }
}

}  // namespace

int runStats(const StatsOptions& options) {
  const int refused = refuseStandardOutputOverInputs("stats", {options.file});
  if (refused != ExitSuccess) return refused;
  CommandInput input;  // a stream is read once, with no index
  if (const int refusedInput = examineInput("stats", options.file, input)) return refusedInput;
  uint64_t size = 0;
  if (FILE* probe = input.stream ? nullptr : openDataFile(options.file.c_str(), "rb")) {
    const int64_t bytes = dataFileSize(probe);
    size = bytes > 0 ? static_cast<uint64_t>(bytes) : 0;
    std::fclose(probe);
  }
  ProgressLine progress = progressOnTerminal();
  RecordStatistics statistics;
  StatusCode status = StatusCode::Success;
  if (options.noIndex || input.stream) {
    status = gatherRecordStatistics(options.file, statistics, [&](uint64_t bytesRead) {
      char text[96];
      std::snprintf(text, sizeof text, "stats: %.0f%% of %.1f GiB", size ? 100.0 * bytesRead / size : 0.0,
                    size / 1073741824.0);
      showProgress(progress, text);
    });
  } else {
    // From the saved index, made or brought up to date first: only the blocks it lacks are read.
    const ScanProgress indexProgress = percentProgress(progress, "stats");
    IndexRefresh refresh;
    status = refreshDataFileIndex(options.file, refresh, PassOptions{}, &indexProgress, &safeIndexWriter());
    if (ok(status)) statistics = statisticsFromEntries(refresh.entries, refresh.fileBytes);
    if (ok(status)) status = checkFirstBlockTimeTags(options.file, refresh.entries, statistics);
  }
  finishProgress(progress, false);
  if (!ok(status)) return failWithStatus("stats", status, options.file);
  if (options.json) {
    printJson(options.file, statistics);
  } else {
    printText(options.file, statistics);
  }
  return ExitSuccess;
}
