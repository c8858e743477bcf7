#include "view/rows.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "files/bus_record.h"
#include "files/record_clock.h"
#include "files/report.h"
#include "files/report_line.h"
#include "frontend/time_text.h"
#include "search/scan_kernels.h"

namespace {

constexpr uint64_t kMaxRows = 500;

const char* const kColumns[] = {"LINE", "TIME", "GAP(uS)", "BUS", "SYNC", "BINARY", "HEX", "ERRORS", "COMMAND CODE"};

// The report line's fields. The line's tabs separate them, with one empty field of alignment
// after the gap, which is left out (the gap itself may be empty).
nlohmann::json reportCells(const char* line, const char* end) {
  nlohmann::json cells = nlohmann::json::array();
  const char* start = line;
  for (const char* p = line; p <= end; ++p) {
    if (p == end || *p == '\t') {
      if (cells.size() != 3 || p > start) cells.push_back(std::string(start, p));
      start = p + 1;
    }
  }
  return cells;
}

// The line (from 1) of line=, within 1 .. records; false otherwise.
bool queryLine(const QueryParams& params, const char* key, uint64_t records, uint64_t& line) {
  line = 0;
  return queryNumber(params, key, line) && line >= 1 && line <= records;
}

std::string bitsText(uint32_t value, unsigned width) {
  std::string bits;
  for (unsigned i = width; i-- > 0;) bits.push_back(((value >> i) & 1u) != 0 ? '1' : '0');
  return bits;
}

}  // namespace

bool queryFormat(const QueryParams& params, StackFormat& format) {
  struct FormatName {
    const char* name;
    StackFormat format;
  };
  static const FormatName kFormats[] = {{"binary", StackFormat::BinaryHex}, {"mdm", StackFormat::Mdm},
                                        {"ldb", StackFormat::Ldb},          {"mec", StackFormat::Mec},
                                        {"eiu", StackFormat::Eiu},          {"1553", StackFormat::Mil1553}};
  std::string name = "binary";
  queryText(params, "format", name);
  for (const FormatName& f : kFormats) {
    if (name == f.name) {
      format = f.format;
      return true;
    }
  }
  return false;
}

ViewAnswer rowsAnswer(ViewFolder& folder, const QueryParams& params) {
  ViewAnswer answer;
  auto r = requestedRecording(folder, params, answer);
  if (r == nullptr) return answer;
  uint64_t from = 1;
  uint64_t count = 100;
  StackFormat format = StackFormat::BinaryHex;
  if (!queryNumber(params, "from", from) || from == 0 || !queryNumber(params, "count", count, kMaxRows) ||
      !queryFormat(params, format)) {
    return errorAnswer(400, "from= is a line from 1, count= at most 500, format= binary|mdm|ldb|mec|eiu|1553");
  }
  std::shared_lock<std::shared_mutex> reading(r->lock);
  const uint64_t records = r->records;
  answer.body = nlohmann::json{{"records", records}, {"from", from}, {"rows", nlohmann::json::array()}};
  answer.body["columns"] = kColumns;
  if (from > records) return answer;
  count = std::min(count, records - from + 1);
  std::vector<unsigned char> bytes;
  if (!readRecords(*r, from - 1, count, true, bytes)) return readFailedAnswer();
  const unsigned char* at = bytes.data();
  HalfMicrosClock clock;
  uint64_t previous = 0;
  if (from > 1) {
    previous = recordHalfMicros(clock, at);
    at += kBusRecordBytes;
  }
  char line[kMaxReportLineChars];
  for (uint64_t i = 0; i < count; ++i, at += kBusRecordBytes) {
    const BusRecord record = busRecordFromBytes(at);
    const uint64_t lineNumber = from + i;
    char* end = appendReportLine(line, static_cast<int64_t>(lineNumber), record, previous, format);
    const uint64_t time = recordHalfMicros(clock, at);
    previous = time;
    nlohmann::json row{{"line", lineNumber},
                       {"text", std::string(line, end)},
                       {"cells", reportCells(line, end)},
                       {"bus", busChannel(record) + 1},
                       {"sync", commandSync(record) != 0 ? "cmd" : "data"},
                       {"error", errorFlags(record) != 0},
                       {"word", busWord(record)},
                       {"time_hus", time}};
    row["label"] = row["cells"].empty() ? nlohmann::json("") : row["cells"][0];
    answer.body["rows"].push_back(std::move(row));
  }
  return answer;
}

ViewAnswer wordAnswer(ViewFolder& folder, const QueryParams& params) {
  ViewAnswer answer;
  auto r = requestedRecording(folder, params, answer);
  if (r == nullptr) return answer;
  std::shared_lock<std::shared_mutex> reading(r->lock);
  uint64_t line = 0;
  StackFormat format = StackFormat::BinaryHex;
  if (!queryLine(params, "line", r->records, line) || !queryFormat(params, format)) {
    return errorAnswer(400, "line= is a line of the recording, format= a bus format");
  }
  std::vector<unsigned char> bytes;
  if (!readRecords(*r, line - 1, 1, false, bytes)) return readFailedAnswer();
  const BusRecord record = busRecordFromBytes(bytes.data());
  const TimeTag tag = timeTagOf(record);
  const uint32_t word = busWord(record);
  char columns[80];
  const size_t columnChars = formatDataColumns(word, reportLayoutFor(record, format), columns);
  auto field = [](const char* name, uint32_t value, unsigned width, std::string text) {
    return nlohmann::json{{"name", name}, {"bits", bitsText(value, width)}, {"value", value}, {"text", text}};
  };
  const unsigned flags = errorFlags(record);
  std::string flagText;
  const char* const kFlagNames[] = {"Sh", "Lg", "Mn", "Py"};
  for (unsigned i = 0; i < 4; ++i) {
    if ((flags & (1u << i)) != 0) flagText += std::string(flagText.empty() ? "" : " ") + kFlagNames[i];
  }
  char hex[8];
  std::snprintf(hex, sizeof hex, "%06X", word);
  answer.body = nlohmann::json{{"line", line}, {"fields", nlohmann::json::array()}};
  nlohmann::json& fields = answer.body["fields"];
  fields.push_back(field("bus word", word, 24, hex));
  fields.push_back(field("layout", word, 24, std::string(columns, columnChars ? columnChars - 1 : 0)));
  fields.push_back(field("bus", busChannel(record), 2, "J" + std::to_string(busChannel(record) + 1)));
  fields.push_back(field("sync", commandSync(record), 1, commandSync(record) != 0 ? "CMND" : "DATA"));
  fields.push_back(field("errors (Py Mn Lg Sh)", flags, 4, flagText));
  if (format == StackFormat::Mdm && commandSync(record) != 0) {
    std::string name = MdmCommandNames[mdmCommandCode(word)];
    while (!name.empty() && name.back() == ' ') name.pop_back();
    fields.push_back(field("MDM command (bits 17-14)", mdmCommandCode(word), 4, name));
  }
  fields.push_back(field("day", dayOfYear(tag), 9, std::to_string(dayOfYear(tag))));
  fields.push_back(field("hours", hours(tag), 5, std::to_string(hours(tag))));
  fields.push_back(field("minutes", minutes(tag), 6, std::to_string(minutes(tag))));
  fields.push_back(field("seconds", seconds(tag), 6, std::to_string(seconds(tag))));
  fields.push_back(field("milliseconds", milliseconds(tag), 10, std::to_string(milliseconds(tag))));
  fields.push_back(field("half microseconds", halfMicros(tag), 11, std::to_string(halfMicros(tag))));
  return answer;
}

ViewAnswer lineTimeAnswer(ViewFolder& folder, const QueryParams& params) {
  ViewAnswer answer;
  auto r = requestedRecording(folder, params, answer);
  if (r == nullptr) return answer;
  std::shared_lock<std::shared_mutex> reading(r->lock);
  uint64_t line = 0;
  if (!queryLine(params, "line", r->records, line)) return errorAnswer(400, "line= is a line of the recording");
  std::vector<unsigned char> bytes;
  uint64_t recorded = 0;
  if (!readRecords(*r, line - 1, 1, false, bytes)) return readFailedAnswer();
  HalfMicrosClock clock;
  const uint64_t time = recordHalfMicros(clock, bytes.data());
  answer.body = nlohmann::json{{"line", line}, {"time_hus", time}, {"time", timeTagText(time)}};
  if (recordedTimeOfRecord(*r, line - 1, recorded)) answer.body["at_hus"] = recorded;
  return answer;
}

ViewAnswer lineAtAnswer(ViewFolder& folder, const QueryParams& params) {
  ViewAnswer answer;
  auto r = requestedRecording(folder, params, answer);
  if (r == nullptr) return answer;
  std::shared_lock<std::shared_mutex> reading(r->lock);
  uint64_t index = 0;
  std::string text;
  uint64_t at = 0;
  if (queryText(params, "at", text)) {
    // A point of the timeline: the first record at or after that recorded time.
    if (!queryNumber(params, "at", at)) return errorAnswer(400, "at= is half microseconds of recorded time");
    index = recordAtRecorded(*r, at);
  } else if (queryText(params, "time", text)) {
    const bool relative = !text.empty() && text[0] == '+';
    std::string absolute = relative ? text.substr(1) : text;
    if (relative && std::count(absolute.begin(), absolute.end(), ':') == 2) absolute = "000:" + absolute;
    double micros = 0.0;
    if (!ok(parseTimeText(absolute, micros))) {
      return errorAnswer(400, "time= is DDD:HH:MM:SS[.fraction] or +HH:MM:SS[.fraction]");
    }
    // Find Nearest TTag: the first record in file order at or after the time.
    const uint64_t wanted = static_cast<uint64_t>(std::ceil(micros * 2.0 - 1e-6)) + (relative ? firstTimeTag(*r) : 0);
    index = r->records;
    std::vector<unsigned char> bytes;
    for (uint64_t b = 0; b < r->entries.size(); ++b) {
      if (r->entries[b].maxTime < wanted) continue;
      if (!readRecords(*r, b * kIndexBlockRecords, r->entries[b].records, false, bytes)) break;
      HalfMicrosClock clock;
      const size_t i = findBlockTimeAtOrAfter(clock, wanted, bytes.data(), r->entries[b].records);
      if (i < r->entries[b].records) {
        index = b * kIndexBlockRecords + i;
        break;
      }
    }
  } else {
    return errorAnswer(400, "time= or at= is needed");
  }
  if (index >= r->records) return errorAnswer(404, "no record at or after that time");
  answer.body = nlohmann::json{{"line", index + 1}};
  return answer;
}
