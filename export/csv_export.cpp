#include "export/csv_export.h"

#include <cstring>

#include "files/bus_record.h"
#include "files/record_clock.h"
#include "files/report.h"
#include "files/report_line.h"

const char kCsvHeader[] = "line,time,seconds,bus,sync,error,flags,hex,value,binary,fields,command\r\n";

namespace {


char* appendText(char* out, const char* text, size_t length) {
  std::memcpy(out, text, length);
  return out + length;
}

// Seconds since the start of day 0, with the seven digits of the half microsecond.
char* appendSeconds(char* out, uint64_t halfMicros) {
  out = appendUnsignedText(out, halfMicros / kHalfMicrosPerSecond, 1);
  *out++ = '.';
  return appendUnsignedText(out, halfMicros % kHalfMicrosPerSecond * 5, 7);
}

// The flags set, in the report's order, separated by spaces.
char* appendFlags(char* out, unsigned flags) {
  const unsigned order[4] = {kErrorPy, kErrorMn, kErrorLg, kErrorSh};
  const char* names[4] = {"Py", "Mn", "Lg", "Sh"};
  bool first = true;
  for (int i = 0; i < 4; ++i) {
    if ((flags & order[i]) == 0) continue;
    if (!first) *out++ = ' ';
    out = appendText(out, names[i], 2);
    first = false;
  }
  return out;
}

char* appendHexWord(char* out, uint32_t word) {
  static const char kDigits[] = "0123456789ABCDEF";
  for (int shift = 20; shift >= 0; shift -= 4) *out++ = kDigits[(word >> shift) & 0xFu];
  return out;
}

// The MDM command name without its trailing blanks.
char* appendCommandName(char* out, uint32_t word) {
  const char* name = MdmCommandNames[mdmCommandCode(word)];
  size_t length = std::strlen(name);
  while (length > 0 && name[length - 1] == ' ') --length;
  return appendText(out, name, length);
}

}  // namespace

namespace {

// The line's digits, counted up from the line before when that is the one held.
char* appendLine(CsvRowCache& cache, char* out, uint64_t line) {
  if (cache.line != 0 && line == cache.line + 1) {
    int i = static_cast<int>(cache.lineLength) - 1;
    while (i >= 0 && cache.lineText[i] == '9') cache.lineText[i--] = '0';
    if (i >= 0) {
      ++cache.lineText[i];
    } else {
      std::memmove(cache.lineText + 1, cache.lineText, cache.lineLength++);
      cache.lineText[0] = '1';
    }
  } else {
    cache.lineLength = static_cast<unsigned>(appendUnsignedText(cache.lineText, line, 1) - cache.lineText);
  }
  cache.line = line;
  return appendText(out, cache.lineText, cache.lineLength);
}

// The time column and the seconds column. Within one second of a record whose fields are in range
// both end in the same seven digits, after texts made once a second.
char* appendTimes(CsvRowCache& cache, char* out, const unsigned char* bytes, const TimeTag& tag) {
  const uint32_t longword0 = recordLongword(bytes, 0);
  const bool inRange = milliseconds(tag) < 1000 && halfMicros(tag) < kHalfMicrosPerMillisecond;
  if (!inRange) {
    out = appendTimeTagText(out, tag);
    *out++ = ',';
    return appendSeconds(out, timeTagHalfMicrosExact(tag));
  }
  if (!cache.timeValid || cache.longword0 != longword0) {
    const TimeTag second{{tag.words[0], tag.words[1], 0, 0}};
    char text[32];
    const char* end = appendTimeTagText(text, second);
    cache.timeLength = static_cast<unsigned>(end - text) - 7;  // up to and with the point
    std::memcpy(cache.timeText, text, cache.timeLength);
    end = appendSeconds(text, timeTagHalfMicrosExact(second));
    cache.secondsLength = static_cast<unsigned>(end - text) - 7;
    std::memcpy(cache.secondsText, text, cache.secondsLength);
    cache.longword0 = longword0;
    cache.timeValid = true;
  }
  char fraction[8];
  char* end = appendUnsignedText(fraction, milliseconds(tag), 3);
  end = appendUnsignedText(end, halfMicros(tag) / 2, 3);
  *end = (halfMicros(tag) & 1u) ? '5' : '0';
  out = appendText(out, cache.timeText, cache.timeLength);
  out = appendText(out, fraction, 7);
  *out++ = ',';
  out = appendText(out, cache.secondsText, cache.secondsLength);
  return appendText(out, fraction, 7);
}

}  // namespace

char* appendCsvRow(CsvRowCache& cache, char* out, uint64_t line, const unsigned char* bytes, StackFormat format) {
  const BusRecord record = busRecordFromBytes(bytes);
  const TimeTag tag = timeTagOf(record);
  const uint32_t word = busWord(record);
  out = appendLine(cache, out, line);
  *out++ = ',';
  out = appendTimes(cache, out, bytes, tag);
  *out++ = ',';
  *out++ = 'J';
  *out++ = static_cast<char>('1' + busChannel(record));
  *out++ = ',';
  out = appendText(out, commandSync(record) ? "CMND," : "DATA,", 5);
  *out++ = errorFlags(record) != 0 ? '1' : '0';
  *out++ = ',';
  out = appendFlags(out, errorFlags(record));
  *out++ = ',';
  out = appendHexWord(out, word);
  *out++ = ',';
  out = appendUnsignedText(out, word, 1);
  *out++ = ',';
  // "binary<tab>fields<tab>": the tabs become the separators.
  const size_t columns = formatDataColumns(word, reportLayoutFor(record, format), out);
  for (size_t i = 0; i < columns; ++i) {
    if (out[i] == '\t') out[i] = ',';
  }
  out += columns;
  if (commandSync(record) && format == StackFormat::Mdm) out = appendCommandName(out, word);
  *out++ = '\r';
  *out++ = '\n';
  return out;
}

StatusCode exportCsv(const std::string& path, const RecordSelection& selection, StackFormat format, ByteSink sink,
                     uint64_t& rows, const ScanProgress* progress) {
  rows = 0;
  OutputBlock out;
  startOutput(out, std::move(sink));
  appendOutput(out, kCsvHeader, sizeof kCsvHeader - 1);
  CsvRowCache cache;
  const StatusCode status = forEachSelectedRun(
      path, selection,
      [&](uint64_t firstLine, const unsigned char* records, size_t count) {
        for (size_t i = 0; i < count; ++i) {
          char* row = reinterpret_cast<char*>(reserveOutput(out, kMaxCsvRowChars));
          const char* end = appendCsvRow(cache, row, firstLine + i, records + i * kBusRecordBytes, format);
          commitOutput(out, static_cast<size_t>(end - row));
        }
        rows += count;
        return !out.failed;
      },
      progress);
  if (!ok(status)) return status;
  return flushOutput(out) ? StatusCode::Success : StatusCode::FileWriteError;
}
