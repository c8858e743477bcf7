// Checks on the file arguments before a task opens them.
#pragma once
#include <string>

// True when path names a directory. On some systems a directory opens for reading like a file
// and then reads as nonsense, so every file task turns directories away first.
bool isDirectory(const std::string& path);
