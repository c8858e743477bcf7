#include "tools/qeltool/terminal.h"

#include <cstdio>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
constexpr int kColumnsAwayFromTerminal = 80;
}  // namespace

#ifdef _WIN32

bool standardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

// A process has one console: two console handles are the same terminal.
bool outputsShareTerminal() { return _isatty(_fileno(stdout)) != 0 && standardErrorIsTerminal(); }

int standardOutputColumns() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (_isatty(_fileno(stdout)) == 0 || !GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info)) {
    return kColumnsAwayFromTerminal;
  }
  const int columns = info.srWindow.Right - info.srWindow.Left + 1;
  return columns > 0 ? columns : kColumnsAwayFromTerminal;
}

#else

bool standardErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }

bool outputsShareTerminal() {
  if (isatty(STDOUT_FILENO) == 0 || isatty(STDERR_FILENO) == 0) return false;
  struct stat out {};
  struct stat err {};
  if (fstat(STDOUT_FILENO, &out) != 0 || fstat(STDERR_FILENO, &err) != 0) return true;
  return out.st_rdev == err.st_rdev;
}

int standardOutputColumns() {
  winsize size{};
  if (isatty(STDOUT_FILENO) == 0 || ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) {
    return kColumnsAwayFromTerminal;
  }
  return size.ws_col;
}

#endif
