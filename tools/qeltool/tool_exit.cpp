#include "tools/qeltool/tool_exit.h"

#include <cstdio>

int failWithStatus(const char* command, StatusCode status, const std::string& subject) {
  char text[kStatusTextLength + 1];
  statusTextTrimmed(status, text);
  if (subject.empty()) {
    std::fprintf(stderr, "qeltool %s: %s\n", command, text);
  } else {
    std::fprintf(stderr, "qeltool %s: %s: %s\n", command, text, subject.c_str());
  }
  return status == StatusCode::SyntaxError ? ExitUsage : ExitFailure;
}

int usageError(const char* command, const std::string& message) {
  std::fprintf(stderr, "qeltool %s: %s\n", command, message.c_str());
  return ExitUsage;
}
