// The text report: three header lines and one tab-separated line per BusRecord.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "common/status_code.h"
#include "files/bus_record.h"
#include "files/scan_progress.h"
#include "files/stack_format.h"

// Layouts of the BINARY and HEX columns.
enum ReportLayout : int {
  DataWordLayout = 0,
  LdbCommandLayout = 1,
  MdmCommandLayout = 2,
  MecCommandLayout = 3,
  EiuCommandLayout = 4,
  FlatLayout = 5,
};

// Sixteen names of 28 characters, indexed by mdmCommandCode.
extern const char MdmCommandNames[16][29];

// The command code of an MDM command word: bits 17-14.
inline unsigned mdmCommandCode(uint32_t busWord) { return (busWord >> 14) & 0xFu; }

// The BINARY and HEX columns of a 24-bit word, closed by a tab. Writes at most 64 characters
// and a terminator into out; returns the number of characters written. A layout outside 0-5 is
// laid out flat.
size_t formatDataColumns(uint32_t busWord, int layout, char* out);

// Writes the report of `lines` records from record `from` (counted from 1) of the open data file
// into `out`. BusWordMissing when the file holds fewer than (from - 1) records; nothing is then
// written. A trailing fragment of fewer than 16 bytes counts as the end. A file is read to its
// size at the start (a stream to its end): FileReadError when it ends before that (cut short under
// the report) or a read fails, FileWriteError when `out` cannot be written.
// progress, when given, hears the records written of those the report will show, once per block.
StatusCode writeReportStream(FILE* data, FILE* out, StackFormat format, int64_t from, int64_t lines,
                             const ScanProgress* progress = nullptr);

// The dialog's View: opens dataPath ("rb") and creates reportPath ("w+t"), then writes the report.
// FileOpenError when either cannot be opened (reportPath untouched when the data file fails),
// BusWordMissing as above with reportPath left empty, FileReadError and FileWriteError as above.
// Launching the editor is the caller's.
StatusCode writeReport(const std::string& dataPath, const std::string& reportPath, StackFormat format,
                       int64_t from, int64_t lines, const ScanProgress* progress = nullptr);
