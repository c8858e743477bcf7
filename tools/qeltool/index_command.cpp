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

unsigned long long ull(const JsonValue& value) { return value.get<unsigned long long>(); }

// What was done, from the result: "RUN7.QIX: extended by 2 blocks (the file has grown), 4 blocks".
std::string indexDoneText(const JsonValue& r) {
  const std::string done = r["done"].get<std::string>();
  char text[160];
  if (done == "up to date") {
    std::snprintf(text, sizeof text, ": up to date, %llu blocks", ull(r["blocks"]));
  } else if (done == "extended") {
    std::snprintf(text, sizeof text, ": extended by %llu blocks (the file has grown), %llu blocks",
                  ull(r["blocks_read"]), ull(r["blocks"]));
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
  const JsonValue result = {{"file", options.file},          {"index", indexPath},
                            {"done", doneText(refresh)},     {"blocks", refresh.entries.size()},
                            {"blocks_read", refresh.blocksRead}, {"index_bytes", written.size},
                            {"data_bytes", refresh.fileBytes}};
  if (options.json) {
    std::printf("%s\n", jsonText(result).c_str());
  } else {
    std::printf("%s\n%s\n", indexDoneText(result).c_str(), indexSizeText(result).c_str());
  }
  return ExitSuccess;
}
