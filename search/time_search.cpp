#include "search/time_search.h"

#include <cmath>

#include "files/bus_record.h"
#include "search/record_blocks.h"
#include "search/scan_kernels.h"

namespace {

// A whole-number field of at most maxLength digits; an empty field is 0.
void readWholeField(const char* text, unsigned maxLength, StatusCode& status, double& value) {
  value = 0.0;
  if (text == nullptr) return;
  for (unsigned place = 0; status == StatusCode::Success && text[place] != '\0'; ++place) {
    const char c = text[place];
    if (place >= maxLength || c < '0' || c > '9') {
      status = StatusCode::SyntaxError;
    } else {
      value = value * 10.0 + (c - '0');
    }
  }
}

// The digits after the decimal point in microseconds: the first digit counts 100000, the sixth 1,
// later ones fractions of a microsecond, until their weight has run out. Every character is a
// digit, however long the field.
void readFractionField(const char* text, StatusCode& status, double& micros) {
  double weight = 1000000.0;
  double sum = 0.0;
  for (const char* p = text != nullptr ? text : ""; status == StatusCode::Success && *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') {
      status = StatusCode::SyntaxError;
    } else {
      sum += (*p - '0') * weight;
    }
    weight *= 0.1;
  }
  micros = sum * 0.1;
}

// The smallest half-microsecond time whose microsecond form is at or after target:
// t / 2 >= target  <=>  t >= ceil(2 target) for a whole t. Beyond every time tag for a NaN target.
uint64_t firstHalfMicrosAtOrAfter(double target) {
  if (std::isnan(target)) return UINT64_MAX;
  const double twice = std::ceil(2.0 * target);
  if (twice <= 0.0) return 0;
  if (twice >= 9223372036854775808.0) return UINT64_MAX;
  return static_cast<uint64_t>(twice);
}

}  // namespace

StatusCode parseTimeTagFields(const char* day, const char* hours, const char* minutes, const char* seconds,
                              const char* fraction, double& target) {
  StatusCode status = StatusCode::Success;
  target = 0.0;
  double d = 0.0, h = 0.0, m = 0.0, s = 0.0, micros = 0.0;
  readWholeField(day, 3, status, d);
  readWholeField(hours, 2, status, h);
  readWholeField(minutes, 2, status, m);
  readWholeField(seconds, 2, status, s);
  readFractionField(fraction, status, micros);
  if (d > 366.0 || h > 23.0 || m > 59.0 || s > 59.0 || micros > 999999.0) status = StatusCode::SyntaxError;
  if (status == StatusCode::Success) {
    target = d * 86400000000.0 + h * 3600000000.0 + m * 60000000.0 + s * 1000000.0 + micros;
  }
  return status;
}

StatusCode findTimeTag(const std::string& path, double target, uint64_t& line, const ScanProgress* progress) {
  line = 0;
  RecordBlockReader reader;
  if (!openRecordBlocks(reader, path, kRecordBlockBytes, progress)) return StatusCode::FileOpenError;
  const uint64_t wanted = firstHalfMicrosAtOrAfter(target);
  HalfMicrosClock clock;
  uint64_t counter = 1;
  const unsigned char* block = nullptr;
  size_t count;
  while ((count = nextRecordBlock(reader, block)) > 0) {
    const size_t before = findBlockTimeAtOrAfter(clock, wanted, block, count);
    counter += before;
    if (before < count) break;
  }
  closeRecordBlocks(reader);
  line = counter;
  return StatusCode::Success;
}
