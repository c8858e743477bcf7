// qeltool count: "Get File Size", the number of whole records of each data file.
#include "files/record_count.h"
#include "tools/qeltool/commands.h"
#include "tools/qeltool/file_results.h"
#include "tools/qeltool/input_file.h"
#include "tools/qeltool/safe_output.h"
#include "tools/qeltool/tool_exit.h"

namespace {

// {"file", "records"} of one file, printed; the file's exit code.
int countFile(const std::string& file, bool json, bool several) {
  CommandInput input;  // a stream is read through
  if (const int refusedInput = examineInput("count", file, input)) return refusedInput;
  uint64_t records = 0;
  const StatusCode status = countRecords(file, records);
  if (!ok(status)) return failWithStatus("count", status, file);
  const JsonValue result = {{"file", file}, {"records", records}};
  printFileResult(result, json, several, std::to_string(result["records"].get<uint64_t>()));
  return ExitSuccess;
}

}  // namespace

int runCount(const CountOptions& options) {
  const int refused = refuseStandardOutputOverInputs("count", options.files);
  if (refused != ExitSuccess) return refused;
  int exitCode = ExitNothingFound;
  for (const std::string& file : options.files) {
    exitCode = combinedExit(exitCode, countFile(file, options.json, options.files.size() > 1));
  }
  return exitCode;
}
