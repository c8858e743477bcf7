// Checks on the file arguments before a task opens them.
#pragma once
#include <string>

// True when path names a directory. On some systems a directory opens for reading like a file
// and then reads as nonsense, so every file task turns directories away first.
bool isDirectory(const std::string& path);

// A data file whose length is no multiple of 16 ends in part of a record, which no task takes as a
// record. Commands that write the records elsewhere say so on standard error:
// "qeltool <command>: the last N bytes of FILE are no whole record and are left out".
void noteTrailingFragment(const char* command, const std::string& path);
