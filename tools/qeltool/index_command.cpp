// qeltool index: the saved index beside a data file made, or found up to date, and what was done;
// --rebuild makes it from the whole file whatever is there, --verify reads the whole file and
// compares every entry.
#include <cstdint>
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

unsigned long long ull(uint64_t value) { return value; }
unsigned long long ull(const JsonValue& value) { return value.get<unsigned long long>(); }

const char* doneText(const IndexRefresh& refresh, bool rebuild) {
  if (refresh.kind == IndexRefreshKind::UpToDate) return "up to date";
  if (rebuild) return "rebuilt";
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

// What was done, from the result: "RUN7.QIX: made from the whole file, 4 blocks".
std::string indexDoneText(const JsonValue& r) {
  const std::string done = r["done"].get<std::string>();
  char text[160];
  if (done == "up to date") {
    std::snprintf(text, sizeof text, ": up to date, %llu blocks", ull(r["blocks"]));
  } else {
    std::snprintf(text, sizeof text, ": %s from the whole file, %llu blocks%s", done.c_str(), ull(r["blocks"]),
                  done == "remade" ? " (the index there did not belong to the file as it is)" : "");
  }
  return r["index"].get<std::string>() + text;
}

// The index's size beside the data file's: "520 bytes, 0.066% of the data file's 786432".
std::string indexSizeText(const JsonValue& r) {
  const double data = r["data_bytes"].get<double>();
  const double share = data > 0 ? 100.0 * r["index_bytes"].get<double>() / data : 0.0;
  char text[96];
  std::snprintf(text, sizeof text, "%llu bytes, %.3f%% of the data file's %llu", ull(r["index_bytes"]), share,
                ull(r["data_bytes"]));
  return text;
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
  const JsonValue result = {{"file", options.file},          {"index", indexPath},
                            {"done", doneText(refresh, options.rebuild)},     {"blocks", refresh.entries.size()},
                            {"blocks_read", refresh.blocksRead}, {"index_bytes", written.size},
                            {"data_bytes", refresh.fileBytes}};
  if (options.json) {
    std::printf("%s\n", jsonText(result).c_str());
  } else {
    std::printf("%s\n%s\n", indexDoneText(result).c_str(), indexSizeText(result).c_str());
  }
  return ExitSuccess;
}
