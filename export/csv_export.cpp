#include "export/csv_export.h"

#include <cstring>

#include "files/bus_record.h"
#include "files/report.h"
#include "files/report_line.h"

const char kCsvHeader[] = "line,time,seconds,bus,sync,error,flags,hex,value,binary,fields,command\r\n";

namespace {

constexpr uint64_t kHalfMicrosPerSecond = 2000000;

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
  const char* name = MdmCommandNames[(word >> 14) & 0xFu];
  size_t length = std::strlen(name);
  while (length > 0 && name[length - 1] == ' ') --length;
  return appendText(out, name, length);
}

}  // namespace

char* appendCsvRow(char* out, uint64_t line, const unsigned char* bytes, StackFormat format) {
  const BusRecord record = busRecordFromBytes(bytes);
  const TimeTag tag = timeTagOf(record);
  const uint32_t word = busWord(record);
  out = appendUnsignedText(out, line, 1);
  *out++ = ',';
  out = appendTimeTagText(out, tag);
  *out++ = ',';
  out = appendSeconds(out, timeTagHalfMicrosExact(tag));
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
  const StatusCode status = forEachSelectedRun(
      path, selection,
      [&](uint64_t firstLine, const unsigned char* records, size_t count) {
        for (size_t i = 0; i < count; ++i) {
          char* row = reinterpret_cast<char*>(reserveOutput(out, kMaxCsvRowChars));
          const char* end = appendCsvRow(row, firstLine + i, records + i * kBusRecordBytes, format);
          commitOutput(out, static_cast<size_t>(end - row));
        }
        rows += count;
        return !out.failed;
      },
      progress);
  if (!ok(status)) return status;
  return flushOutput(out) ? StatusCode::Success : StatusCode::FileWriteError;
}
