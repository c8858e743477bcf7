// qeltool convert: "Convert File", a ".SUP" memory dump into a data file.
#include <cstdio>

#include "files/dump_conversion.h"
#include "tools/qeltool/commands.h"
#include "tools/qeltool/input_file.h"
#include "tools/qeltool/tool_exit.h"

int runConvert(const ConvertOptions& options) {
  if (isDirectory(options.dump))
    return failWithStatus("convert", StatusCode::FileOpenError, options.dump + " (a directory)");
  std::string output = options.output;
  if (output.empty()) {
    // The dialog's naming: the text up to its first "." with ".QEL".
    std::string dumpPath;
    dumpNamesFor(options.dump, dumpPath, output);
  }
  const StatusCode status = convertDumpFile(options.dump, output);
  if (!ok(status)) {
    // Status 5 may be either file: name the one that does not open.
    std::string subject = options.dump;
    if (status == StatusCode::FileOpenError || status == StatusCode::FileWriteError) {
      FILE* dump = std::fopen(options.dump.c_str(), "rb");
      if (dump != nullptr) {
        std::fclose(dump);
        subject = output;
      }
    }
    return failWithStatus("convert", status, subject);
  }
  std::printf("%s\n", output.c_str());
  return ExitSuccess;
}
