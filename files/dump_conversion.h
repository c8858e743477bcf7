// Conversion of a raw memory dump (".SUP") into a data file (".QEL").
#pragma once
#include <string>
#include <vector>

#include "common/status_code.h"

constexpr unsigned kDumpUnits = 393216;       // units after the leading one
constexpr unsigned kDumpFirstRecordUnit = 65532;
constexpr unsigned kDumpRecords = 4096;

// The dump and data-file names that belong to the text of the file-name box: the text up to its
// first "." plus ".SUP" and ".QEL".
void dumpNamesFor(const std::string& fileBoxText, std::string& dumpPath, std::string& dataPath);

// The 65536 bytes of the data file that dumpPath converts into. FileOpenError when the dump
// cannot be opened, FileReadError when it is short.
StatusCode convertDumpToRecords(const std::string& dumpPath, std::vector<unsigned char>& records);

// Converts dumpPath into dataPath. FileOpenError when the dump cannot be opened or the output
// cannot be created, FileReadError when the dump is short (an existing output is then untouched),
// FileWriteError when a write fails.
StatusCode convertDumpFile(const std::string& dumpPath, const std::string& dataPath);

// The dialog's Convert File, given the file-name box text.
StatusCode convertDump(const std::string& fileBoxText);
