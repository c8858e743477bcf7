#include "tools/qeltool/file_results.h"

#include <cstdio>

#include "tools/qeltool/tool_exit.h"

namespace {

// Nothing found, success, a usage error, another failure: the later, the more it says.
int exitWeight(int exitCode) {
  switch (exitCode) {
    case ExitNothingFound:
      return 0;
    case ExitSuccess:
      return 1;
    case ExitUsage:
      return 2;
    default:
      return 3;
  }
}

}  // namespace

void printFileResult(const JsonValue& result, bool json, bool several, const std::string& text) {
  if (json) {
    std::printf("%s\n", jsonText(result).c_str());
  } else if (several) {
    std::printf("%s: %s\n", result["file"].get<std::string>().c_str(), text.c_str());
  } else {
    std::printf("%s\n", text.c_str());
  }
}

int combinedExit(int sofar, int fileExit) { return exitWeight(fileExit) > exitWeight(sofar) ? fileExit : sofar; }
