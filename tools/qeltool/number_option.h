// Numbers on qeltool's command line: decimal only.
//
// A whole number is an optional "+" and decimal digits; leading zeros are decimal (so a report's
// line label "+00000010" pasted after --from is line 10); no octal, hexadecimal, minus sign,
// blank or point. A decimal number may have a point and more digits after it. Values outside the
// option's range are refused by the parse with a message that names the option and the range:
//   qeltool report: --from: "0x10" is not a whole number from 1 to 18446744073709551615
//
// Subcommands declare such options with addWholeNumberOption and addDecimalOption instead of
// CLI11's own numbers (which read "010" as octal and "0x10" as hexadecimal).
#pragma once
#include <CLI/CLI.hpp>
#include <cstdint>
#include <string>

// The value of a whole number; false for any other text or a value above 2^64 - 1.
bool parseWholeNumber(const std::string& text, uint64_t& value);

// The value of a decimal number (digits with an optional point and fraction, an optional "+").
bool parseDecimalNumber(const std::string& text, double& value);

// Empty when text is a whole number from min to max; otherwise why not, for the parse error.
std::string wholeNumberProblem(const std::string& text, uint64_t min, uint64_t max);
std::string decimalNumberProblem(const std::string& text, double min, double max);

// An option taking a whole number from min to max into value (an unsigned type that holds max).
template <typename Unsigned>
CLI::Option* addWholeNumberOption(CLI::App* command, const std::string& name, Unsigned& value, uint64_t min,
                                  uint64_t max, const std::string& description) {
  static_assert(std::is_unsigned<Unsigned>::value, "whole-number options are unsigned");
  CLI::Option* option = command->add_option_function<std::string>(
      name,
      [&value](const std::string& text) {
        uint64_t number = 0;
        parseWholeNumber(text, number);  // the check below has let only whole numbers in range through
        value = static_cast<Unsigned>(number);
      },
      description);
  option->check(
      CLI::Validator([min, max](std::string& text) { return wholeNumberProblem(text, min, max); }, "", "whole number"));
  return option->type_name("N");
}

// An option taking a decimal number from min to max into value.
CLI::Option* addDecimalOption(CLI::App* command, const std::string& name, double& value, double min, double max,
                              const std::string& description);
