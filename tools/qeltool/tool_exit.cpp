#include "tools/qeltool/tool_exit.h"

#include <cstdio>

namespace {

// "qeltool <command>: ", or "qeltool: " before any command is known.
void printPrefix(const char* command) { std::fprintf(stderr, "qeltool%s%s: ", command[0] != '\0' ? " " : "", command); }

}  // namespace

int failWithStatus(const char* command, StatusCode status, const std::string& subject) {
  char text[kStatusTextLength + 1];
  statusTextTrimmed(status, text);
  printPrefix(command);
  if (subject.empty()) {
    std::fprintf(stderr, "%s\n", text);
  } else {
    std::fprintf(stderr, "%s: %s\n", text, subject.c_str());
  }
  return status == StatusCode::SyntaxError ? ExitUsage : ExitFailure;
}

int usageError(const char* command, const std::string& message) {
  printPrefix(command);
  std::fprintf(stderr, "%s\n", message.c_str());
  return ExitUsage;
}
