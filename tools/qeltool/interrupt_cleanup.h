// Temporary files that Ctrl-C or a termination signal must not leave behind.
//
// While at least one file is registered, a handler removes every registered file and then lets
// the event end the process as it would have: on POSIX SIGINT, SIGTERM, SIGHUP and SIGPIPE (a
// signal the process ignores stays ignored), on Windows the console's Ctrl-C, Ctrl-Break and close
// events. The earlier handlers come back when the last file is unregistered.
#pragma once
#include <string>

// False when the path cannot be held (too long, or too many files at once); the caller must not
// create the file then.
bool registerTemporaryFile(const std::string& path);

// After the file has been renamed or removed.
void unregisterTemporaryFile(const std::string& path);
