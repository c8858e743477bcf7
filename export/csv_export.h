// Bus records as CSV (RFC 4180): a header row, then one row a record, lines ended with CR LF.
//
// Columns: line (counted from 1), time (the report's TIME text: day of the year, time of day, seven
// digits of the second), seconds (the time tag in seconds since the start of day 0, exact to the
// half microsecond), bus (J1 to J4), sync (CMND or DATA), error (1 when any error flag is set),
// flags (those set, of Py Mn Lg Sh), hex (the word in six hexadecimal digits), value (the word as a
// number), binary and fields (the BINARY and HEX columns of the report in the chosen stack format)
// and command (the MDM command name of MDM command words). No field can hold a comma, a quote or a
// line end, so none is quoted.
#pragma once
#include <cstdint>
#include <string>

#include "common/status_code.h"
#include "export/byte_sink.h"
#include "export/record_selection.h"
#include "files/stack_format.h"

extern const char kCsvHeader[];

// No row is longer than this.
constexpr unsigned kMaxCsvRowChars = 256;

// The texts that stay the same from one row to the next: the line number (counted up in place) and
// the time tag down to the second, which changes about once a second of recorded time.
struct CsvRowCache {
  uint64_t line = 0;          // the line whose digits are held, 0 for none
  char lineText[24] = {};
  unsigned lineLength = 0;
  uint32_t longword0 = 0;     // the record longword 0 the time texts were made for
  bool timeValid = false;
  char timeText[24] = {};     // "DDD:HH:MM:SS."
  unsigned timeLength = 0;
  char secondsText[32] = {};  // the whole seconds since day 0 and "."
  unsigned secondsLength = 0;
};

// Writes the row of one record (its 16 bytes as in the data file) with its line end at out; returns
// the end of it.
char* appendCsvRow(CsvRowCache& cache, char* out, uint64_t line, const unsigned char* bytes, StackFormat format);

// The header and the rows of the selected records. FileOpenError or BusWordMissing as
// forEachSelectedRun, FileWriteError when the sink failed; rows is the number of rows written.
StatusCode exportCsv(const std::string& path, const RecordSelection& selection, StackFormat format, ByteSink sink,
                     uint64_t& rows, const ScanProgress* progress = nullptr);
