// The files qeltool writes: never over a file the command reads, and whole or not at all.
//
// Every command that writes a file takes these steps (report_command.cpp is an example):
//
//   1. Before any work, refuse an output that is one of the inputs (exit 2, both named):
//        if (const int refused = refuseOutputOverInputs("cut", output, {input}); refused != ExitSuccess)
//          return refused;
//      Files are compared as files (device and inode, volume serial and file index), not by name;
//      only a regular file counts, a device or pipe both read and written is the user's plan.
//      The inputs' identities are kept: the open and the commit compare the output again, as it
//      is then, so that no spelling reaches an input ("/proc/self/fd/3" names the input once the
//      command has it open).
//      A command that prints results checks standard output in the same way (">> X.qel"):
//        refuseStandardOutputOverInputs("count", {input}).
//      A command that makes a data file from nothing (generate, record) refuses an existing
//      non-empty file unless --force was given: refuseToReplaceData("generate", file, force).
//   2. Open the inputs, then the output:
//        SafeOutput out;
//        StatusCode status = openSafeOutput(out, output, OutputMode::Binary);
//        if (!ok(status)) return failSafeOutput("cut", out, status);
//      The data goes into a new temporary file in the target's folder (".qeltool-<process>-<n>.tmp");
//      the target is not touched yet. "-" is standard output, written as it comes.
//   3. Write into out.file with the usual stdio calls. A failed write needs no handling at the
//      call: the stream's error flag is checked at the commit. (A long task may stop early when
//      std::ferror(out.file) is set.)
//   4. On a failure found on the way (a bad argument, a record past the end, a read error):
//        abandonSafeOutput(out);   // closes and removes the temporary file
//      and report it. On success:
//        status = commitSafeOutput(out);
//        if (!ok(status)) return failSafeOutput("cut", out, status);   // FileWriteError
//      The commit checks the stream's error flag, the flush, the sync to disk and the close, then
//      renames the file over the target (MoveFileEx with MOVEFILE_REPLACE_EXISTING on Windows).
//      When any of them fails the temporary file is removed and the target stays as it was.
//
// Ctrl-C or a termination signal between steps 2 and 4 removes the temporary file
// (interrupt_cleanup.h).
//
// Targets of other kinds: a symbolic link is followed, the file it leads to is replaced and the
// link stays. A target that exists and is no regular file (a device such as /dev/null or NUL, a
// pipe) cannot be replaced and is written in place; the steps are the same. A folder, an
// existing file this process may not write, or a folder where no new file can be made gives
// FileOpenError at the open.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "common/status_code.h"

enum class OutputMode {
  Binary,
  Text,  // "\n" reaches the disk as the platform's line end (CR LF on Windows), as "QEL.TMP" does
};

struct SafeOutput {
  FILE* file = nullptr;   // where to write, from the open to the commit or abandon
  std::string name;       // the output as the user named it
  std::string target;     // the file that appears at the commit (where a symbolic link leads)
  std::string temporary;  // the file being written; empty when the target is written in place
  std::string sameAsInput;  // set when the open or commit failed because the target is this input
};

// "-" as an output: standard output.
bool isStandardOutputName(const std::string& name);

// ExitSuccess when output is none of the inputs; otherwise "qeltool <command>: <output> is the
// same file as the input <input>; nothing written" and ExitUsage. Names that do not exist (yet)
// are no one's file. Use the names as the user gave them: they appear in the message. The
// inputs ("-" is standard input) are kept for the checks of openSafeOutput and commitSafeOutput.
int refuseOutputOverInputs(const char* command, const std::string& output, const std::vector<std::string>& inputs);

// The same for standard output (a redirection such as ">> X.qel").
int refuseStandardOutputOverInputs(const char* command, const std::vector<std::string>& inputs);

// ExitSuccess when force is set or path ("-" aside) is no regular file holding data; otherwise
// "qeltool <command>: <path> exists and is not empty; --force replaces it" and ExitUsage.
int refuseToReplaceData(const char* command, const std::string& path, bool force);

// Step 2. FileOpenError when the target cannot be written (see above); output.file is then null and
// nothing was created.
StatusCode openSafeOutput(SafeOutput& output, const std::string& target, OutputMode mode);

// Step 4 on success: Success, or FileWriteError when anything failed (the target then untouched).
StatusCode commitSafeOutput(SafeOutput& output);

// Step 4 on failure: closes the file and removes the temporary file.
void abandonSafeOutput(SafeOutput& output);

// The report of a failed open or commit: the refusal of a target that proved to be an input
// (ExitUsage, both named), otherwise failWithStatus with the output's name.
int failSafeOutput(const char* command, const SafeOutput& output, StatusCode status);
