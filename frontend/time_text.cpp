#include "frontend/time_text.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "files/bus_record.h"
#include "files/data_file.h"
#include "search/time_search.h"

namespace {

constexpr unsigned kRelativeHourDigits = 4;

// Day, hours, minutes and seconds, then the fraction's digits. A relative text (a leading "+") has
// two colons and no day; an absolute one exactly three. False for any other count.
bool splitTimeText(const std::string& text, bool relative, std::string (&fields)[4], std::string& fraction) {
  int field = relative ? 1 : 0;
  for (size_t at = relative ? 1 : 0; at < text.size(); ++at) {
    if (text[at] == ':') {
      if (++field == 4) return false;
    } else {
      fields[field] += text[at];
    }
  }
  if (field != 3) return false;
  const size_t point = fields[3].find('.');
  if (point != std::string::npos) {
    fraction = fields[3].substr(point + 1);
    fields[3].erase(point);
  }
  return true;
}

// The value of a field of digits (their count checked by the conversion); 0 when empty.
uint64_t fieldValue(const std::string& digits) {
  uint64_t value = 0;
  for (const char c : digits) value = value * 10 + static_cast<uint64_t>(c - '0');
  return value;
}

// The fields in microseconds, written exactly from their digits and read back as the nearest double:
// the first six digits of the fraction are whole microseconds, the rest their fraction.
double exactMicros(const std::string (&fields)[4], const std::string& fraction) {
  std::string micros = fraction.substr(0, 6);
  micros.resize(6, '0');
  const std::string below = fraction.size() > 6 ? fraction.substr(6) : std::string("0");
  const uint64_t whole = fieldValue(fields[0]) * 86400000000ull + fieldValue(fields[1]) * 3600000000ull +
                         fieldValue(fields[2]) * 60000000ull + fieldValue(fields[3]) * 1000000ull + fieldValue(micros);
  return std::strtod((std::to_string(whole) + "." + below).c_str(), nullptr);
}

}  // namespace

StatusCode parseTypedTime(const std::string& text, TypedTime& time) {
  const bool relative = !text.empty() && text[0] == '+';
  std::string fields[4];
  std::string fraction;
  if (!splitTimeText(text, relative, fields, fraction)) return StatusCode::SyntaxError;
  if (relative) {
    // Hours beyond a day become days, so that the dialog's conversion checks every field.
    if (fields[1].size() > kRelativeHourDigits || fields[1].find_first_not_of("0123456789") != std::string::npos) {
      return StatusCode::SyntaxError;
    }
    const uint64_t hours = fieldValue(fields[1]);
    fields[0] = std::to_string(hours / 24);
    fields[1] = std::to_string(hours % 24);
  }
  double micros = 0.0;
  const StatusCode status = parseTimeTagFields(fields[0].c_str(), fields[1].c_str(), fields[2].c_str(),
                                               fields[3].c_str(), fraction.c_str(), micros);
  if (!ok(status)) return status;
  time.base = relative ? TimeBase::FirstRecord : TimeBase::Absolute;
  time.micros = micros;
  time.exactMicros = exactMicros(fields, fraction);
  return StatusCode::Success;
}

double resolveTypedTime(const TypedTime& time, double firstRecordMicros, bool exact) {
  const double micros = exact ? time.exactMicros : time.micros;
  return time.base == TimeBase::FirstRecord ? firstRecordMicros + micros : micros;
}

StatusCode firstRecordMicros(const std::string& path, double& micros) {
  micros = 0.0;
  FILE* file = openDataFile(path.c_str(), "rb");
  if (file == nullptr) return StatusCode::FileOpenError;
  unsigned char bytes[kBusRecordBytes];
  const size_t got = readDataFileFully(file, bytes, sizeof bytes);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return StatusCode::FileReadError;
  if (got == sizeof bytes) {
    micros = static_cast<double>(timeTagHalfMicrosExact(timeTagOf(busRecordFromBytes(bytes)))) / 2.0;
  }
  return StatusCode::Success;
}

StatusCode parseTimeText(const std::string& text, double& target) {
  target = 0.0;
  TypedTime time;
  if (!text.empty() && text[0] == '+') return StatusCode::SyntaxError;
  const StatusCode status = parseTypedTime(text, time);
  if (ok(status)) target = time.micros;
  return status;
}
