// The text report of a stretch of a data file.
//
// The skip to the first record is a seek (the file size says whether the record exists), and the
// records are read and the lines written in large blocks, so the report runs at disk speed with
// memory that does not grow with the file. What the report shows is the same as reading the
// records unit by unit: a record is shown only when all its 16 bytes are there, and a trailing
// fragment ends the data.
#include "files/report.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "files/data_file.h"
#include "files/report_line.h"

namespace {

constexpr size_t kReadBlockBytes = 256 * 1024;
constexpr size_t kWriteBlockBytes = 256 * 1024;
constexpr unsigned kRuleLength = 184;

const char kHeadingStart[] = " LINE\t\tTIME\t\t\tGAP(uS)\t\tBUS\tSYNC\t";
const char kHeadingEndFlat[] = "BINARY\t\t\t\tHEX\tERRORS";
const char kHeadingEnd[] = "BINARY\t\t\t\tHEX\t\tERRORS\t\tCOMMAND CODE";
const char kEndOfData[] = "END OF DATA";

// Puts the data file at record skipRecords + 1 (counted from 1). False when the file holds
// fewer than skipRecords whole records. A file that cannot seek is read through from where
// it stands.
bool skipRecords(FILE* data, uint64_t skipRecords) {
  const int64_t size = dataFileBytesLeft(data);
  if (size >= 0) {
    if (skipRecords > static_cast<uint64_t>(size) / kBusRecordBytes) return false;
    return seekDataFile(data, static_cast<int64_t>(skipRecords * kBusRecordBytes), SEEK_CUR);
  }
  std::vector<unsigned char> discard(kReadBlockBytes);
  uint64_t remaining = skipRecords * kBusRecordBytes;
  while (remaining != 0) {
    const size_t want = remaining < discard.size() ? static_cast<size_t>(remaining) : discard.size();
    const size_t got = readDataFileFully(data, discard.data(), want);
    remaining -= got;
    if (got < want) return false;
  }
  return true;
}

// Collects report text and writes it out in large blocks.
struct ReportWriter {
  FILE* out;
  std::vector<char> buffer;
  size_t used = 0;
  bool failed = false;

  explicit ReportWriter(FILE* file) : out(file), buffer(kWriteBlockBytes + kMaxReportLineChars + 1) {}

  // Room for one more line and its line end.
  char* lineStart() {
    if (used > kWriteBlockBytes) flush();
    return buffer.data() + used;
  }
  void endLine(char* end) {
    *end++ = '\n';
    used = static_cast<size_t>(end - buffer.data());
  }
  void flush() {
    if (used != 0 && std::fwrite(buffer.data(), 1, used, out) != used) failed = true;
    used = 0;
  }
};

template <size_t N>
char* appendLiteral(char* out, const char (&text)[N]) {
  std::memcpy(out, text, N - 1);
  return out + N - 1;
}

// A rule of dashes, the column headings (no COMMAND CODE in the binary/hexadecimal format), a rule.
void writeHeader(ReportWriter& writer, StackFormat format) {
  char* line = writer.lineStart();
  std::memset(line, '-', kRuleLength);
  writer.endLine(line + kRuleLength);
  line = appendLiteral(writer.lineStart(), kHeadingStart);
  writer.endLine(format == StackFormat::BinaryHex ? appendLiteral(line, kHeadingEndFlat)
                                                  : appendLiteral(line, kHeadingEnd));
  line = writer.lineStart();
  std::memset(line, '-', kRuleLength);
  writer.endLine(line + kRuleLength);
}

// The bytes from the current position to the file's end, or UINT64_MAX for a stream (a pipe),
// whose end is wherever it ends.
uint64_t bytesLeft(FILE* data) {
  const int64_t left = dataFileBytesLeft(data);
  return left < 0 ? UINT64_MAX : static_cast<uint64_t>(left);
}

}  // namespace

StatusCode writeReportStream(FILE* data, FILE* out, StackFormat format, int64_t from, int64_t lines,
                             const ScanProgress* progress) {
  // A From of 1 or less skips nothing.
  const uint64_t skip = from > 1 ? static_cast<uint64_t>(from) - 1 : 0;
  if (!skipRecords(data, skip)) return StatusCode::BusWordMissing;
  if (progress != nullptr && !*progress) progress = nullptr;
  // A file is read to its size now (what it grows by is left out); ending before that size means
  // it was cut short under the report, or a read failed.
  uint64_t unread = bytesLeft(data);
  const bool sized = unread != UINT64_MAX;
  bool cutShort = false;
  // The records the report will show: Lines, or fewer when the file ends first.
  const uint64_t recordsLeft = sized ? unread / kBusRecordBytes : UINT64_MAX;
  const uint64_t toShow = lines >= 0 ? std::min(static_cast<uint64_t>(lines), recordsLeft) : recordsLeft;

  ReportWriter writer(out);
  writeHeader(writer, format);

  std::vector<unsigned char> input(kReadBlockBytes);
  size_t held = 0;      // bytes in input
  size_t position = 0;  // first byte of the next record
  bool fileEnded = false;
  uint64_t previousHalfMicros = 0;  // the first line has no previous record

  uint64_t shown = 0;  // records shown so far
  // A failed write ends the report: nothing after it could reach the output.
  for (int64_t i = 0; i != lines && !writer.failed; ++i) {
    if (held - position < kBusRecordBytes && !fileEnded) {
      // Keep the partial record, then refill, reading no further than the lines still wanted.
      std::memmove(input.data(), input.data() + position, held - position);
      held -= position;
      position = 0;
      size_t want = input.size() - held;
      if (lines > i) {
        const uint64_t stillWanted = static_cast<uint64_t>(lines - i);
        if (stillWanted < want / kBusRecordBytes) want = static_cast<size_t>(stillWanted) * kBusRecordBytes - held;
      }
      if (want > unread) want = static_cast<size_t>(unread);
      const size_t got = readDataFileFully(data, input.data() + held, want);
      held += got;
      if (sized) unread -= got;
      if (got < want) {
        fileEnded = true;
        cutShort = sized || std::ferror(data) != 0;
      }
      if (progress != nullptr) (*progress)(shown, toShow);
    }
    if (cutShort) break;
    char* line = writer.lineStart();
    if (held - position < kBusRecordBytes) {
      writer.endLine(appendLiteral(line, kEndOfData));
      break;
    }
    const BusRecord record = busRecordFromBytes(input.data() + position);
    position += kBusRecordBytes;
    writer.endLine(appendReportLine(line, from + i, record, previousHalfMicros, format));
    previousHalfMicros = timeTagHalfMicrosExact(timeTagOf(record));
    ++shown;
  }
  if (progress != nullptr) (*progress)(shown, toShow);
  writer.flush();
  if (writer.failed) return StatusCode::FileWriteError;
  return cutShort ? StatusCode::FileReadError : StatusCode::Success;
}

StatusCode writeReport(const std::string& dataPath, const std::string& reportPath, StackFormat format,
                       int64_t from, int64_t lines, const ScanProgress* progress) {
  FILE* data = openDataFile(dataPath.c_str(), "rb");
  if (!data) return StatusCode::FileOpenError;
  // Text mode: each "\n" reaches the disk as the platform's line end.
  FILE* out = std::fopen(reportPath.c_str(), "w+t");
  if (!out) {
    std::fclose(data);
    return StatusCode::FileOpenError;
  }
  StatusCode status = writeReportStream(data, out, format, from, lines, progress);
  std::fclose(data);
  if (std::fclose(out) != 0 && ok(status)) status = StatusCode::FileWriteError;
  return status;
}
