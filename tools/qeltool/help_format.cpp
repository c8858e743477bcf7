#include "tools/qeltool/help_format.h"

#include <algorithm>

namespace {

// The column where a line's text continues when wrapped: that of its description after the
// option's or command's name (two blanks or more before it), else that of its first character.
size_t continuationColumn(const std::string& line, size_t width) {
  const size_t first = line.find_first_not_of(' ');
  if (first == std::string::npos) return 0;
  const size_t gap = line.find("  ", first);
  const size_t description = gap == std::string::npos ? std::string::npos : line.find_first_not_of(' ', gap);
  // A description that leaves less room than this is left to wrap under the line's start.
  constexpr size_t kLeastRoom = 20;
  if (description != std::string::npos && description + kLeastRoom <= width) return description;
  return first;
}

void appendWrapped(std::string& out, const std::string& line, size_t width) {
  const size_t indent = continuationColumn(line, width);
  std::string rest = line;
  while (rest.size() > width) {
    const size_t breakAt = rest.rfind(' ', width);
    // A word longer than the room stays whole.
    if (breakAt == std::string::npos || breakAt <= indent) break;
    out.append(rest, 0, rest.find_last_not_of(' ', breakAt) + 1);
    out += '\n';
    const size_t next = rest.find_first_not_of(' ', breakAt);
    rest = std::string(indent, ' ') + (next == std::string::npos ? std::string() : rest.substr(next));
  }
  out += rest;
}

// Optimal string alignment distance: insertions, deletions, substitutions and swaps of neighbours.
size_t editDistance(const std::string& a, const std::string& b) {
  std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[a.size()][b.size()];
}

}  // namespace

std::string WrappingFormatter::make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const {
  return wrapHelpText(CLI::Formatter::make_help(app, std::move(name), mode), width_);
}

std::string WrappingFormatter::make_option_usage(const CLI::Option* option) const {
  const std::string name = option->get_name(true, false);
  return name.find("...") != std::string::npos ? name : CLI::Formatter::make_option_usage(option);
}

std::string wrapHelpText(const std::string& text, size_t width) {
  std::string out;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = std::min(text.find('\n', start), text.size());
    appendWrapped(out, text.substr(start, end - start), width);
    if (end < text.size()) out += '\n';
    start = end + 1;
  }
  return out;
}

std::string closestName(const std::string& typed, const std::vector<std::string>& names) {
  std::string best;
  size_t bestDistance = SIZE_MAX;
  for (const std::string& name : names) {
    const size_t distance = editDistance(typed, name);
    const size_t allowed = std::min<size_t>(2, std::max<size_t>(1, name.size() / 3));
    if (distance <= allowed && distance < bestDistance) {
      best = name;
      bestDistance = distance;
    }
  }
  return best;
}
