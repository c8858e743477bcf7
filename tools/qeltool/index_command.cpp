// qeltool index: the saved index beside a data file made, or found up to date, and what was done;
// --rebuild makes it from the whole file whatever is there, --verify reads the whole file and
// compares every entry.
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
  if (refresh.kind == IndexRefreshKind::UpToDate) return "up to date";
  return refresh.replaced ? "remade" : "made";
}

// Exit 0 when every entry agrees with the data file, 1 when one differs or there is no index.
int printVerification(const std::string& indexPath, const IndexVerification& v) {
  if (!v.indexRead) {
    std::printf("%s: no index of %llu blocks or fewer to compare (missing, damaged or not an index)\n",
                indexPath.c_str(), ull(v.blocks + 1));
  } else if (v.firstDifferent == UINT64_MAX) {
    std::printf("%s: all %llu blocks agree with the data file%s\n", indexPath.c_str(), ull(v.blocks),
                v.stampMatches ? "" : " (its stamp is not the file's: the next search makes it again)");
  } else {
    std::printf("%s: block %llu (records %llu onwards) differs from the data file; %llu blocks in the file, %llu in "
                "the index; qeltool index --rebuild makes it again\n",
                indexPath.c_str(), ull(v.firstDifferent), ull(v.firstDifferent * kIndexBlockRecords + 1),
                ull(v.blocks), ull(v.indexBlocks));
  }
  return v.indexRead && v.firstDifferent == UINT64_MAX ? ExitSuccess : ExitNothingFound;
}

}  // namespace

int runIndex(const IndexOptions& options) {
  const std::string indexPath = indexPathFor(options.file);
  int refused = options.verify ? ExitSuccess : refuseOutputOverInputs("index", indexPath, {options.file});
  if (refused == ExitSuccess) refused = refuseStandardOutputOverInputs("index", {options.file});
  if (refused != ExitSuccess) return refused;
  if (isDirectory(options.file)) {
    return failWithStatus("index", StatusCode::FileOpenError, options.file + " (a directory)");
  }
  ProgressLine progressLine = progressOnTerminal();
  const ScanProgress progress = percentProgress(progressLine, "index");
  if (options.verify) {
    IndexVerification verification;
    const StatusCode status = verifyDataFileIndex(options.file, verification, PassOptions{}, &progress);
    finishProgress(progressLine, false);
    if (!ok(status)) return failWithStatus("index", status, options.file);
    return printVerification(indexPath, verification);
  }
  IndexRefresh refresh;
  const StatusCode status =
      options.rebuild ? rebuildDataFileIndex(options.file, refresh, PassOptions{}, &progress, &safeIndexWriter())
                      : refreshDataFileIndex(options.file, refresh, PassOptions{}, &progress, &safeIndexWriter());
  finishProgress(progressLine, false);
  if (!ok(status)) return failWithStatus("index", status, options.file);
  if (refresh.kind != IndexRefreshKind::UpToDate && !refresh.saved) {
    const bool other = !indexFileMayBeReplaced(indexPath);
    return failWithStatus("index", StatusCode::FileWriteError, indexPath + (other ? " (no index: left as it is)" : ""));
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
  if (refresh.kind == IndexRefreshKind::UpToDate) {
    std::printf("%s: up to date, %llu blocks\n", indexPath.c_str(), ull(refresh.entries.size()));
  } else {
    std::printf("%s: %s from the whole file, %llu blocks%s\n", indexPath.c_str(), doneText(refresh),
                ull(refresh.entries.size()),
                refresh.replaced && !options.rebuild ? " (the index there did not belong to the file as it is)" : "");
  }
  std::printf("%llu bytes, %.3f%% of the data file's %llu\n", ull(written.size), share, ull(refresh.fileBytes));
  return ExitSuccess;
}
