// Checks on the file arguments before a task opens them.
#pragma once
#include <string>

#include "tools/qeltool/command_options.h"

// True when path names a directory. On some systems a directory opens for reading like a file
// and then reads as nonsense, so every file task turns directories away first.
bool isDirectory(const std::string& path);

// An input argument, examined without opening it (a FIFO would wait for its writer).
struct CommandInput {
  std::string name;  // as given; "-" is standard input
  // Standard input, a pipe, a FIFO or a device: it has no size and no index, and is read once,
  // from the front.
  bool stream = false;
};

// Examines the argument name of command. ExitSuccess with input filled (a name that cannot be
// examined is left to the open, which reports it), or ExitUsage after
// "qeltool <command>: <name> is a folder, not a data file".
int examineInput(const char* command, const std::string& name, CommandInput& input);

// A stream is read from its first record to the chosen stretch's end: a stretch that starts
// later (--from above 1, a time window, which is found by a search) needs a data file. ExitUsage
// after "qeltool <command>: <name> is a stream; --from and the time window need a data file".
int refuseStreamStretch(const char* command, const CommandInput& input, const StretchOptions& stretch);

// A data file whose length is no multiple of 16 ends in part of a record, which no task takes as a
// record. Commands that write the records elsewhere say so on standard error:
// "qeltool <command>: the last N bytes of FILE are no whole record and are left out".
void noteTrailingFragment(const char* command, const std::string& path);
