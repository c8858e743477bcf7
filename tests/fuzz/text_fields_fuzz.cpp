// The typed fields over any text: the five time-tag fields, the digits-only decimal field and the
// data-file name check. The input is split at line ends into day, hours, minutes, seconds,
// fraction, a decimal field and a file name (missing pieces are empty). Each result is checked
// against a plain reading of the rules: digits only, the field lengths and limits, the time in
// half microseconds exactly as the time search rounds it, and the ".qel" ending of a name of
// more than four characters.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "app/dialog_fields.h"
#include "common/decimal_field.h"
#include "res/resource_ids.h"
#include "search/time_search.h"
#include "tests/fuzz/fuzz_scratch.h"
#include "tests/support/fake_ports.h"

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

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

void checkTimeFields(const std::vector<std::string>& field) {
  const std::string &day = field[0], &hours = field[1], &minutes = field[2], &seconds = field[3];
  const std::string& fraction = field[4];
  double target = -1.0;
  const StatusCode status =
      parseTimeTagFields(day.c_str(), hours.c_str(), minutes.c_str(), seconds.c_str(), fraction.c_str(), target);

  // The first six fraction digits are whole microseconds; the rest is a part of one.
  const std::string micros = fraction.substr(0, 6) + std::string(6 - std::min<size_t>(6, fraction.size()), '0');
  const std::string rest = fraction.size() > 6 ? fraction.substr(6) : std::string();
  const bool restNonZero = rest.find_first_not_of('0') != std::string::npos;
  const bool wellFormed = digitsOnly(day) && digitsOnly(hours) && digitsOnly(minutes) && digitsOnly(seconds) &&
                          digitsOnly(fraction) && day.size() <= 3 && hours.size() <= 2 && minutes.size() <= 2 &&
                          seconds.size() <= 2 && wholeValue(day) <= 366 && wholeValue(hours) <= 23 &&
                          wholeValue(minutes) <= 59 && wholeValue(seconds) <= 59;
  const bool pastLastMicro = micros == "999999" && restNonZero;
  // Above 999999 microseconds by less than a double can tell (0.9999990x...): either answer will do.
  if (wellFormed && pastLastMicro && rest.size() > 1 && rest[0] == '0') return;
  const bool valid = wellFormed && !pastLastMicro;
  FUZZ_CHECK((status == StatusCode::Success) == valid);
  if (!valid) {
    FUZZ_CHECK(status == StatusCode::SyntaxError && target == 0.0);
    return;
  }
  const uint64_t wholeMicros = ((wholeValue(day) * 24 + wholeValue(hours)) * 60 + wholeValue(minutes)) * 60000000 +
                               wholeValue(seconds) * 1000000 + wholeValue(micros);
  if (rest.size() <= 1) {
    // The time search looks for the first half microsecond at or after the target.
    const unsigned partHalves = !restNonZero ? 0 : (rest[0] <= '5' ? 1 : 2);
    const double twice = std::ceil(2.0 * target);
    FUZZ_CHECK(twice == static_cast<double>(2 * wholeMicros + partHalves));
  } else {
    FUZZ_CHECK(target >= static_cast<double>(wholeMicros) - 0.01 && target <= static_cast<double>(wholeMicros) + 1.01);
  }
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

void checkFileName(const std::string& text) {
  FakeDialogPort dialog;
  dialog.texts[IDC_FILE_NAME] = text;
  FakeSystemPort system;
  RecorderState state;
  state.currentPath = "EARLIER.QEL";
  CardSession card;
  SearchSettings settings;
  Recorder recorder{dialog, system, state, card, settings, stdioFileAppender()};
  const StatusCode status = checkDataFileName(recorder, false);

  const std::string name = text.substr(0, kControlTextMax);
  const size_t n = name.size();
  StatusCode expected = StatusCode::Success;
  if (n <= 4) {
    expected = StatusCode::InvalidFileName;
  } else if (!(name[n - 4] == '.' && lower(name[n - 3]) == 'q' && lower(name[n - 2]) == 'e' &&
               lower(name[n - 1]) == 'l')) {
    expected = StatusCode::IncorrectFileType;
  }
  FUZZ_CHECK(status == expected);
  FUZZ_CHECK(state.currentPath == (ok(status) ? name : std::string("EARLIER.QEL")));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> field(7);
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
  checkFileName(text[6]);
  return 0;
}
