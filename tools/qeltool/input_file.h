// Checks on the file arguments before a task opens them.
#pragma once
#include <string>

#include "tools/qeltool/command_options.h"

// True when path names a directory. On some systems a directory opens for reading like a file
// and then reads as nonsense, so every file task turns directories away first.
bool isDirectory(const std::string& path);

// What a command may do with an input that is a stream: standard input ("-"), a pipe, a FIFO or
// a device, which can be read once from the front and has no size and no index.
enum class StreamUse {
  Read,     // the command reads it once, front to back
  Refused,  // the command needs to read the file at will
};

// An input argument, examined without opening it (a FIFO would wait for its writer).
struct CommandInput {
  std::string name;     // as given; "-" is standard input
  bool stream = false;  // read once, front to back, with no index
};

// Examines the argument name of command. ExitSuccess with input filled (a name that cannot be
// examined is left to the open, which reports it), or ExitUsage after one of
//   "qeltool <command>: <name> is a folder, not a data file"
//   "qeltool <command>: <name> is a stream (standard input, a pipe or a device) and <command> reads
//    a data file at will; save it to a file first"
int examineInput(const char* command, const std::string& name, StreamUse use, CommandInput& input);

// A stream is read from its first record to the chosen stretch's end: a stretch that starts
// later (--from above 1, a time window, which is found by a search) needs a data file. ExitUsage
// after "qeltool <command>: <name> is a stream; --from and the time window need a data file".
int refuseStreamStretch(const char* command, const CommandInput& input, const StretchOptions& stretch);

// A data file whose length is no multiple of 16 ends in part of a record, which no task takes as a
// record. Commands that write the records elsewhere say so on standard error:
// "qeltool <command>: the last N bytes of FILE are no whole record and are left out".
void noteTrailingFragment(const char* command, const std::string& path);
