#include "tools/qeltool/progress_line.h"

#include <chrono>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr int64_t kTerminalRefreshMs = 200;

int64_t steadyMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

bool standardErrorIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(fileno(stderr)) != 0;
#endif
}

ProgressLine progressOnTerminal() {
  ProgressLine progress;
  progress.terminal = standardErrorIsTerminal();
  progress.enabled = progress.terminal;
  return progress;
}

ProgressLine progressAlways() {
  ProgressLine progress;
  progress.terminal = standardErrorIsTerminal();
  progress.enabled = true;
  return progress;
}

void showProgress(ProgressLine& progress, const std::string& text, bool force) {
  if (!progress.enabled) return;
  if (!progress.terminal) {
    if (text == progress.lastText) return;
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
    progress.lastText = text;
    return;
  }
  const int64_t now = steadyMilliseconds();
  if (!force && progress.lastShownMs >= 0 && now - progress.lastShownMs < kTerminalRefreshMs) return;
  progress.lastShownMs = now;
  // Blanks wipe what is left of a longer earlier text.
  const size_t wipe = progress.shownLength > text.size() ? progress.shownLength - text.size() : 0;
  std::fprintf(stderr, "\r%s%*s", text.c_str(), static_cast<int>(wipe), "");
  std::fflush(stderr);
  progress.shownLength = text.size();
  progress.lastText = text;
}

void finishProgress(ProgressLine& progress, bool keep) {
  if (!progress.enabled || !progress.terminal || progress.shownLength == 0) return;
  if (keep) {
    std::fprintf(stderr, "\n");
  } else {
    std::fprintf(stderr, "\r%*s\r", static_cast<int>(progress.shownLength), "");
  }
  std::fflush(stderr);
  progress.shownLength = 0;
}

ScanProgress percentProgress(ProgressLine& line, const std::string& task) {
  if (!line.enabled) return ScanProgress{};
  return [&line, task](uint64_t done, uint64_t total) {
    char text[32];
    std::snprintf(text, sizeof text, ": %.0f%%", total != 0 ? 100.0 * static_cast<double>(done) / total : 100.0);
    showProgress(line, task + text);
  };
}
