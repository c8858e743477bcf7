// The progress line of long tasks on standard error.
//
// On a terminal the line is rewritten in place a few times a second. Elsewhere (a pipe, a log
// file) a long task shows nothing, so that scripts get no clutter, while the recording, whose
// progress is part of its output, writes one line each time the text changes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "files/scan_progress.h"

struct ProgressLine {
  bool enabled = false;   // whether anything is shown
  bool terminal = false;  // standard error is a terminal: one line rewritten in place
  int64_t lastShownMs = -1;
  size_t shownLength = 0;  // characters of the line now on the terminal
  std::string lastText;
};

bool standardErrorIsTerminal();

// For long file tasks: shown only on a terminal.
ProgressLine progressOnTerminal();
// For the recording: always shown.
ProgressLine progressAlways();

// Shows text. On a terminal at most five times a second unless forced; elsewhere whenever the
// text changes.
void showProgress(ProgressLine& progress, const std::string& text, bool force = false);

// A pass's progress shown as "<task>: NN%" on line (which must outlive the pass).
ScanProgress percentProgress(ProgressLine& line, const std::string& task);

// Ends the progress: on a terminal the line is kept (ended with a line end) or wiped.
void finishProgress(ProgressLine& progress, bool keep);
