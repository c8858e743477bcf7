// qeltool on a terminal: results and the progress line never run into each other.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "tool_fixtures.h"

namespace {

// What a terminal shows of text: each line as its carriage returns overwrite it, blanks trimmed.
std::string shownOnTerminal(const std::string& text) {
  std::string shown, line;
  std::istringstream lines(text);
  while (std::getline(lines, line)) {
    std::string cells;
    size_t column = 0;
    for (const char c : line) {
      if (c == '\r') {
        column = 0;
      } else {
        if (column < cells.size()) cells[column] = c; else cells += c;
        ++column;
      }
    }
    shown += cells.substr(0, cells.find_last_not_of(' ') + 1) + "\n";
  }
  return shown;
}

}  // namespace

// On a pseudo-terminal (standard output and error the same terminal) a count shows only its
// result once the progress is wiped, and with --quiet draws none; matching lines printed as they
// come draw no progress at all. Help lines are wrapped at 80 columns away from a terminal.
TEST(TerminalTool, ResultLinesStayClean) {
  TempFolder folder;
  std::vector<BusRecord> records;
  for (uint32_t i = 0; i < 400000; ++i) records.push_back(recordAtMicros(10 * i, i, i % 4, i % 1000 == 0));
  writeDataFile(folder.file("big.qel"), records);
  // script runs the command on a pseudo-terminal and copies what it shows to standard output.
  const auto onTerminal = [&](const std::string& options) {
    return runQeltool("search --no-index big.qel " + options + "\" /dev/null", folder.path, "script -qfec \"");
  };
  EXPECT_EQ(shownOnTerminal(onTerminal("--count --sync cmd").out), "400\n");
  EXPECT_EQ(onTerminal("--count --sync cmd --quiet").out, "400\r\n");
  const ToolRun lines = onTerminal("--lines --sync cmd");
  std::string expected;
  for (int line = 1; line <= 400000; line += 1000) expected += std::to_string(line) + "\r\n";
  EXPECT_EQ(lines.out, expected);
  // Away from a terminal the recording writes its first status line, its last, and one every 10 s.
  const ToolRun recording = runQeltool("record r.qel --seconds 1.5", folder.path);
  EXPECT_EQ(std::count(recording.err.begin(), recording.err.end(), '\n'), 3) << recording.err;
  for (const char* command : {"--help", "export --help", "find-time --help"}) {
    std::istringstream help(runQeltool(command, folder.path).out);
    for (std::string line; std::getline(help, line);) EXPECT_LE(line.size(), 80u) << line;
  }
}
