// The typed fields over any text: the five time-tag fields and the digits-only decimal field. The
// input is split at line ends into day, hours, minutes, seconds, fraction and a decimal field
// (missing pieces are empty). Each result is checked against a plain reading of the rules.
#include <cstdint>
#include <string>
#include <vector>

#include "common/decimal_field.h"
#include "search/time_search.h"
#include "tests/fuzz/fuzz_scratch.h"

namespace {

bool digitsOnly(const std::string& text) {
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

uint64_t wholeValue(const std::string& digits) {
  uint64_t value = 0;
  for (const char c : digits) value = value * 10 + static_cast<uint64_t>(c - '0');
  return value;
}

// What passes is digits only, of the fields' lengths, and names a time within the 367 days a day
// field can name. (Which values pass and the fraction's rounding are the unit test's.)
void checkTimeFields(const std::vector<std::string>& field) {
  double target = -1.0;
  const StatusCode status = parseTimeTagFields(field[0].c_str(), field[1].c_str(), field[2].c_str(),
                                               field[3].c_str(), field[4].c_str(), target);
  if (status != StatusCode::Success) {
    FUZZ_CHECK(status == StatusCode::SyntaxError && target == 0.0);
    return;
  }
  for (size_t i = 0; i < 5; ++i) FUZZ_CHECK(digitsOnly(field[i]));
  FUZZ_CHECK(field[0].size() <= 3 && field[1].size() <= 2 && field[2].size() <= 2 && field[3].size() <= 2);
  FUZZ_CHECK(target >= 0.0 && target < 367 * 86400e6);
}

void checkDecimalField(const std::string& text, uint8_t earlierError) {
  uint16_t syntaxError = earlierError;
  const double value = parseDecimalField(text.c_str(), syntaxError);
  const std::string seen = text.substr(0, text.find('\0'));
  // The flag is only ever ORed in.
  FUZZ_CHECK((syntaxError & ~1u) == (earlierError & ~1u));
  FUZZ_CHECK((syntaxError & 1u) == ((earlierError & 1u) | (digitsOnly(seen) ? 0u : 1u)));
  if (digitsOnly(seen) && seen.size() <= 15) FUZZ_CHECK(value == static_cast<double>(wholeValue(seen)));
  FUZZ_CHECK(value >= 0.0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> field(6);
  size_t piece = 0;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == '\n' && piece + 1 < field.size()) {
      ++piece;
    } else {
      field[piece] += static_cast<char>(data[i]);
    }
  }
  // A C string ends at its first NUL, as a control's text does.
  std::vector<std::string> text(field.size());
  for (size_t i = 0; i < field.size(); ++i) text[i] = field[i].substr(0, field[i].find('\0'));

  checkTimeFields(text);
  checkDecimalField(field[5], size != 0 ? data[0] : 0);
  return 0;
}
