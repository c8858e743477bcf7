// qeltool index: the saved index beside a data file made, or brought up to date, and what was done.
#include <cstdio>
#include <string>

#include "index/index_build.h"
#include "index/index_file.h"
#include "tools/qeltool/commands.h"
#include "frontend/file_facts.h"
#include "tools/qeltool/index_output.h"
#include "tools/qeltool/input_file.h"
#include "frontend/json_text.h"
#include "tools/qeltool/progress_line.h"
#include "tools/qeltool/safe_output.h"
#include "tools/qeltool/tool_exit.h"

namespace {

unsigned long long ull(uint64_t value) { return static_cast<unsigned long long>(value); }

const char* doneText(const IndexRefresh& refresh) {
  switch (refresh.kind) {
    case IndexRefreshKind::UpToDate:
      return "up to date";
    case IndexRefreshKind::Extended:
      return "extended";
    default:
      return refresh.replaced ? "remade" : "made";
  }
}

}  // namespace

int runIndex(const IndexOptions& options) {
  const std::string indexPath = indexPathFor(options.file);
  int refused = refuseOutputOverInputs("index", indexPath, {options.file});
  if (refused == ExitSuccess) refused = refuseStandardOutputOverInputs("index", {options.file});
  if (refused != ExitSuccess) return refused;
  if (isDirectory(options.file)) {
    return failWithStatus("index", StatusCode::FileOpenError, options.file + " (a directory)");
  }
  ProgressLine progressLine = progressOnTerminal();
  const ScanProgress progress = percentProgress(progressLine, "index");
  IndexRefresh refresh;
  const StatusCode status = refreshDataFileIndex(options.file, refresh, PassOptions{}, &progress, &safeIndexWriter());
  finishProgress(progressLine, false);
  if (!ok(status)) return failWithStatus("index", status, options.file);
  if (refresh.kind != IndexRefreshKind::UpToDate && !refresh.saved) {
    return failWithStatus("index", StatusCode::FileWriteError, indexPath);
  }
  const FileFacts written = examineFile(indexPath);
  const double share = refresh.fileBytes > 0 ? 100.0 * static_cast<double>(written.size) / refresh.fileBytes : 0.0;
  if (options.json) {
    std::printf(
        "{\"file\": %s, \"index\": %s, \"done\": \"%s\", \"blocks\": %llu, \"blocks_read\": %llu, "
        "\"index_bytes\": %llu, \"data_bytes\": %llu}\n",
        jsonQuoted(options.file).c_str(), jsonQuoted(indexPath).c_str(), doneText(refresh), ull(refresh.entries.size()),
        ull(refresh.blocksRead), ull(written.size), ull(refresh.fileBytes));
    return ExitSuccess;
  }
  switch (refresh.kind) {
    case IndexRefreshKind::UpToDate:
      std::printf("%s: up to date, %llu blocks\n", indexPath.c_str(), ull(refresh.entries.size()));
      break;
    case IndexRefreshKind::Extended:
      std::printf("%s: extended by %llu blocks (the file has grown), %llu blocks\n", indexPath.c_str(),
                  ull(refresh.blocksRead), ull(refresh.entries.size()));
      break;
    default:
      std::printf("%s: %s from the whole file, %llu blocks%s\n", indexPath.c_str(), doneText(refresh),
                  ull(refresh.entries.size()),
                  refresh.replaced ? " (the index there did not belong to the file as it is)" : "");
      break;
  }
  std::printf("%llu bytes, %.3f%% of the data file's %llu\n", ull(written.size), share, ull(refresh.fileBytes));
  return ExitSuccess;
}
