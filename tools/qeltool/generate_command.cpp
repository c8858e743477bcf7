// qeltool generate: a data file of the simulated card's seeded traffic, written as fast as the
// disk takes it, and its saved index. Its records are those a simulated recording started at
// --start stores.
#include <cstdio>
#include <vector>

#include "files/bus_record.h"
#include "index/block_entry.h"
#include "index/index_file.h"
#include "sim/generated_data_file.h"
#include "sim/traffic_generator.h"
#include "tools/qeltool/commands.h"
#include "tools/qeltool/index_output.h"
#include "tools/qeltool/local_clock.h"
#include "tools/qeltool/progress_line.h"
#include "tools/qeltool/safe_output.h"
#include "tools/qeltool/tool_exit.h"

namespace {
constexpr uint64_t kRecordsPerWrite = 65536;  // 1 MiB
}  // namespace

int runGenerate(const GenerateOptions& options) {
  const int refused = refuseToReplaceData("generate", options.file, options.force);
  if (refused != ExitSuccess) return refused;
  LocalTime start = currentLocalTime();
  if (!options.start.empty() && !parseLocalTimeText(options.start, start)) {
    return usageError("generate", "--start takes \"YYYY-MM-DD HH:MM:SS\": " + options.start);
  }
  TrafficConfig traffic;
  if (options.seedGiven) traffic.seed = options.seed;
  traffic.wordsPerSecond = options.rate;

  SafeOutput out;
  StatusCode status = openSafeOutput(out, options.file, OutputMode::Binary);
  if (!ok(status)) return failWithStatus("generate", status, options.file);
  TrafficGenerator generator;
  resetTrafficGenerator(generator, traffic);
  std::vector<unsigned char> buffer(kRecordsPerWrite * kBusRecordBytes);
  ProgressLine progress = progressOnTerminal();
  uint64_t written = 0;
  std::vector<BlockEntry> entries;  // of the saved index, from the records as they are made
  while (written < options.records && ok(status)) {
    const uint64_t left = options.records - written;
    const uint64_t made =
        generateRecords(generator, start, left < kRecordsPerWrite ? left : kRecordsPerWrite, buffer.data());
    if (made == 0) break;
    const size_t items = static_cast<size_t>(made);
    if (std::fwrite(buffer.data(), kBusRecordBytes, items, out.file) != items) status = StatusCode::FileWriteError;
    addRecordsToEntries(entries, buffer.data(), items);
    written += made;
    char text[96];
    std::snprintf(text, sizeof text, "generate: %llu of %llu records", static_cast<unsigned long long>(written),
                  static_cast<unsigned long long>(options.records));
    showProgress(progress, text);
  }
  finishProgress(progress, false);
  if (ok(status)) {
    status = commitSafeOutput(out);
  } else {
    abandonSafeOutput(out);
  }
  if (!ok(status)) return failWithStatus("generate", status, options.file);
  // The index beside it; one that cannot be written leaves the data file as good as it is.
  saveIndexFor(options.file, entries, &safeIndexWriter());
  return ExitSuccess;
}
