// qeltool convert: "Convert File", a ".SUP" memory dump into a data file.
#include <cstdio>
#include <vector>

#include "files/bus_record.h"
#include "files/dump_conversion.h"
#include "index/block_entry.h"
#include "index/index_file.h"
#include "tools/qeltool/commands.h"
#include "tools/qeltool/index_output.h"
#include "tools/qeltool/input_file.h"
#include "tools/qeltool/safe_output.h"
#include "tools/qeltool/tool_exit.h"

namespace {

// Beside the dump: its file name (not its folder's) up to the first "." with ".QEL", the
// dialog's naming applied to the name alone.
std::string dataFileBesideDump(const std::string& dump) {
#ifdef _WIN32
  const size_t folderEnd = dump.find_last_of("/\\:");
#else
  const size_t folderEnd = dump.find_last_of('/');
#endif
  const size_t nameStart = folderEnd == std::string::npos ? 0 : folderEnd + 1;
  const size_t point = dump.find('.', nameStart);
  return dump.substr(0, point) + ".QEL";
}

}  // namespace

int runConvert(const ConvertOptions& options) {
  constexpr const char* kCommand = "convert";
  CommandInput input;
  int refused = examineInput(kCommand, options.dump, input);
  if (refused != ExitSuccess) return refused;
  if (input.stream && options.output.empty()) {
    return usageError(kCommand, "a dump read from a stream has no name to follow: give the data file with -o");
  }
  const std::string output = options.output.empty() ? dataFileBesideDump(options.dump) : options.output;
  refused = refuseOutputOverInputs(kCommand, output, {options.dump});
  if (refused == ExitSuccess) refused = refuseToReplaceData(kCommand, output, options.force);
  if (refused != ExitSuccess) return refused;

  // The whole dump is read before the output is made.
  std::vector<unsigned char> records;
  StatusCode status = convertDumpToRecords(options.dump, records);
  if (!ok(status)) return failWithStatus(kCommand, status, options.dump);
  SafeOutput out;
  status = openSafeOutput(out, output, OutputMode::Binary);
  if (!ok(status)) return failSafeOutput(kCommand, out, status);
  if (std::fwrite(records.data(), 1, records.size(), out.file) == records.size()) {
    status = commitSafeOutput(out);
  } else {
    abandonSafeOutput(out);
    status = StatusCode::FileWriteError;
  }
  if (!ok(status)) return failSafeOutput(kCommand, out, status);
  if (isStandardOutputName(output)) return ExitSuccess;
  // The index beside it; one that cannot be written leaves the data file as good as it is.
  std::vector<BlockEntry> entries;
  addRecordsToEntries(entries, records.data(), records.size() / kBusRecordBytes);
  saveIndexSparingInputs(output, entries, {options.dump});
  std::printf("%s\n", output.c_str());
  return ExitSuccess;
}
