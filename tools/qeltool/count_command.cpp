// qeltool count: "Get File Size", the number of whole records of a data file.
#include <cstdio>

#include "files/record_count.h"
#include "tools/qeltool/commands.h"
#include "tools/qeltool/input_file.h"
#include "frontend/json_text.h"
#include "tools/qeltool/safe_output.h"
#include "tools/qeltool/tool_exit.h"

int runCount(const CountOptions& options) {
  const int refused = refuseStandardOutputOverInputs("count", {options.file});
  if (refused != ExitSuccess) return refused;
  CommandInput input;  // a stream is read through
  if (const int refusedInput = examineInput("count", options.file, input)) return refusedInput;
  uint64_t records = 0;
  const StatusCode status = countRecords(options.file, records);
  if (!ok(status)) return failWithStatus("count", status, options.file);
  if (options.json) {
    std::printf("{\"file\": %s, \"records\": %llu}\n", jsonQuoted(options.file).c_str(),
                static_cast<unsigned long long>(records));
  } else {
    std::printf("%llu\n", static_cast<unsigned long long>(records));
  }
  return ExitSuccess;
}
