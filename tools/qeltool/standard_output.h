// Standard output, checked. Commands print their results with the stdio calls; main ends every
// command with finishStandardOutput, which turns a failed write, flush or close of standard output
// into exit 3 and "qeltool <command>: ERROR: File write error: standard output".
#pragma once

constexpr const char* kStandardOutputName = "standard output";

// A write to standard output has failed already: a long listing may stop.
bool standardOutputFailed();

// Flushes and closes standard output. Returns exitCode when that and every earlier write went
// well; otherwise reports the write error and returns ExitFailure.
int finishStandardOutput(const char* command, int exitCode);
