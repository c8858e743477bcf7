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
  const std::string output = options.output.empty() ? dataFileBesideDump(options.dump) : options.output;
  const int refused = refuseOutputOverInputs("convert", output, {options.dump});
  if (refused != ExitSuccess) return refused;
  if (isDirectory(options.dump))
    return failWithStatus("convert", StatusCode::FileOpenError, options.dump + " (a directory)");

  // The whole dump is read before the output is made.
  std::vector<unsigned char> records;
  StatusCode status = convertDumpToRecords(options.dump, records);
  if (!ok(status)) return failWithStatus("convert", status, options.dump);
  SafeOutput out;
  status = openSafeOutput(out, output, OutputMode::Binary);
  if (!ok(status)) return failWithStatus("convert", status, output);
  if (std::fwrite(records.data(), 1, records.size(), out.file) == records.size()) {
    status = commitSafeOutput(out);
  } else {
    abandonSafeOutput(out);
    status = StatusCode::FileWriteError;
  }
  if (!ok(status)) return failWithStatus("convert", status, output);
  // The index beside it; one that cannot be written leaves the data file as good as it is.
  std::vector<BlockEntry> entries;
  addRecordsToEntries(entries, records.data(), records.size() / kBusRecordBytes);
  saveIndexSparingInputs(output, entries, {options.dump});
  std::printf("%s\n", output.c_str());
  return ExitSuccess;
}
