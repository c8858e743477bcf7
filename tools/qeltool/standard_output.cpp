#include "tools/qeltool/standard_output.h"

#include <cerrno>
#include <cstdio>

#include "tools/qeltool/tool_exit.h"

bool standardOutputFailed() { return std::ferror(stdout) != 0; }

int finishStandardOutput(const char* command, int exitCode) {
  bool good = std::ferror(stdout) == 0;
  good = std::fflush(stdout) == 0 && good;
  // A standard output closed from the start (">&-") that was never written fails only here.
  errno = 0;
  if (std::fclose(stdout) != 0 && !(good && errno == EBADF)) good = false;
  if (good) return exitCode;
  failWithStatus(command, StatusCode::FileWriteError, kStandardOutputName);
  return ExitFailure;
}
