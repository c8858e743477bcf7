#include "tools/qeltool/progress_line.h"

#include <chrono>
#include <cstdio>

#include "tools/qeltool/terminal.h"

namespace {

constexpr int64_t kTerminalRefreshMs = 200;
constexpr int64_t kLogRefreshMs = 10000;

bool quietRun = false;
bool resultsRunIntoProgress = false;  // results printed as they come onto the progress line's terminal

int64_t steadyMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

void setProgressPolicy(bool quiet, bool resultsAsTheyCome) {
  quietRun = quiet;
  resultsRunIntoProgress = resultsAsTheyCome && outputsShareTerminal();
}

ProgressLine progressOnTerminal() {
  ProgressLine progress;
  progress.terminal = standardErrorIsTerminal();
  progress.enabled = progress.terminal && !quietRun && !resultsRunIntoProgress;
  return progress;
}

ProgressLine progressAlways() {
  ProgressLine progress;
  progress.terminal = standardErrorIsTerminal();
  progress.enabled = !quietRun && !(progress.terminal && resultsRunIntoProgress);
  return progress;
}

void showProgress(ProgressLine& progress, const std::string& text, bool urgent) {
  if (!progress.enabled) return;
  if (!progress.terminal && text == progress.lastText) return;
  const int64_t now = steadyMilliseconds();
  const int64_t refresh = progress.terminal ? kTerminalRefreshMs : kLogRefreshMs;
  if (!urgent && progress.lastShownMs >= 0 && now - progress.lastShownMs < refresh) return;
  progress.lastShownMs = now;
  progress.lastText = text;
  if (!progress.terminal) {
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
    return;
  }
  // Blanks wipe what is left of a longer earlier text.
  const size_t wipe = progress.shownLength > text.size() ? progress.shownLength - text.size() : 0;
  std::fprintf(stderr, "\r%s%*s", text.c_str(), static_cast<int>(wipe), "");
  std::fflush(stderr);
  progress.shownLength = text.size();
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
