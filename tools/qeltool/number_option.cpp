#include "tools/qeltool/number_option.h"

#include <cstdio>
#include <cstdlib>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The text after an optional leading "+".
size_t unsignedStart(const std::string& text) { return !text.empty() && text[0] == '+' ? 1 : 0; }

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::string decimalText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", value);
  return text;
}

}  // namespace

bool parseWholeNumber(const std::string& text, uint64_t& value) {
  const size_t start = unsignedStart(text);
  if (start == text.size()) return false;
  uint64_t number = 0;
  for (size_t i = start; i < text.size(); ++i) {
    if (!isDigit(text[i])) return false;
    const auto digit = static_cast<uint64_t>(text[i] - '0');
    if (number > (UINT64_MAX - digit) / 10) return false;
    number = number * 10 + digit;
  }
  value = number;
  return true;
}

bool parseDecimalNumber(const std::string& text, double& value) {
  const size_t start = unsignedStart(text);
  size_t digits = 0;
  size_t points = 0;
  for (size_t i = start; i < text.size(); ++i) {
    if (isDigit(text[i])) {
      ++digits;
    } else if (text[i] == '.' && points == 0) {
      ++points;
    } else {
      return false;
    }
  }
  if (digits == 0) return false;
  // Only digits and one point are left, so none of strtod's other forms (hexadecimal, "inf",
  // "nan") can come through; qeltool keeps the C locale, whose decimal point is ".".
  value = std::strtod(text.c_str() + start, nullptr);
  return true;
}

std::string wholeNumberProblem(const std::string& text, uint64_t min, uint64_t max) {
  uint64_t value = 0;
  if (parseWholeNumber(text, value) && value >= min && value <= max) return std::string();
  return quoted(text) + " is not a whole number from " + std::to_string(min) + " to " + std::to_string(max);
}

std::string decimalNumberProblem(const std::string& text, double min, double max) {
  double value = 0.0;
  if (parseDecimalNumber(text, value) && value >= min && value <= max) return std::string();
  return quoted(text) + " is not a number from " + decimalText(min) + " to " + decimalText(max);
}

CLI::Option* addDecimalOption(CLI::App* command, const std::string& name, double& value, double min, double max,
                              const std::string& description) {
  CLI::Option* option = command->add_option_function<std::string>(
      name, [&value](const std::string& text) { parseDecimalNumber(text, value); }, description);
  option->check(CLI::Validator([min, max](std::string& text) { return decimalNumberProblem(text, min, max); }, "",
                               "decimal number"));
  return option->type_name("X");
}
