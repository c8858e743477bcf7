// qeltool's help and its answer to a mistyped command.
#pragma once
#include <CLI/CLI.hpp>
#include <string>
#include <vector>

// CLI11's help with every line longer than width wrapped at spaces; a continued line starts
// under the description it continues.
class WrappingFormatter : public CLI::Formatter {
 public:
  explicit WrappingFormatter(size_t width) : width_(width) {}
  std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override;
  // A positional whose name shows how it repeats ("FILE... TIME") is shown by its name alone.
  std::string make_option_usage(const CLI::Option* option) const override;

 private:
  size_t width_;
};

std::string wrapHelpText(const std::string& text, size_t width);

// The name closest to typed by edit distance (a swap of two neighbours counts one edit), when it
// is close enough to be a slip of the keyboard: at most a third of its letters, at least one, at
// most two. Empty when none is.
std::string closestName(const std::string& typed, const std::vector<std::string>& names);
