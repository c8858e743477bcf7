// The progress line of long tasks on standard error.
//
// On a terminal the line is rewritten in place a few times a second and wiped before the result is
// printed. It is not drawn at all when standard output is that same terminal and the command
// prints its results there as it goes (a report, CSV, a list of lines), nor with --quiet.
// Elsewhere (a pipe, a log file) a long task shows nothing, so that scripts get no clutter, while
// the recording, whose progress is part of its output, writes a status line at most every 10
// seconds and its last one.
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

// Set once by main for the whole run, before any progress is made: --quiet, and whether the
// command prints its results to standard output as it goes.
void setProgressPolicy(bool quiet, bool resultsAsTheyCome);

// For long file tasks: shown only on a terminal.
ProgressLine progressOnTerminal();
// For the recording: shown on a terminal and, less often, elsewhere.
ProgressLine progressAlways();

// Shows text: on a terminal at most five times a second, elsewhere at most every 10 seconds and
// only when the text has changed; urgent text is shown at once.
void showProgress(ProgressLine& progress, const std::string& text, bool urgent = false);

// A pass's progress shown as "<task>: NN%" on line (which must outlive the pass).
ScanProgress percentProgress(ProgressLine& line, const std::string& task);

// Ends the progress: on a terminal the line is kept (ended with a line end) or wiped.
void finishProgress(ProgressLine& progress, bool keep);
