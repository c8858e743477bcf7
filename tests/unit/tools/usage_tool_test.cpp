// qeltool's usage errors and failures on files it cannot use.
#include <gtest/gtest.h>

#include "tool_fixtures.h"

// Numbers are decimal whole numbers (leading zeros and a "+" allowed, so that a report's line
// label can be pasted) within each option's range; everything else is refused with exit 2 and a
// message that starts "qeltool SUB:" and names the option and, for a number, its range. A file
// that cannot be used exits 3 with the status text and the file it concerns.
TEST(UsageTool, OptionsNumbersAndFilesAsParsed) {
  TempFolder folder;
  std::vector<BusRecord> twelve;
  for (uint64_t i = 1; i <= 12; ++i) twelve.push_back(recordAtMicros(1000 * i, 1));
  writeDataFile(folder.file("t.qel"), twelve);
  std::filesystem::create_directory(folder.file("folder.qel"));
  const std::string all64 = " is not a whole number from 0 to 18446744073709551615";
  const std::string from1 = " is not a whole number from 1 to 18446744073709551615";
  const std::string open = "ERROR: Could not open file: ";
  const struct {
    std::string arguments;
    int exitCode;
    std::string text;  // in standard output for exit 0 and 1, in standard error for 2 and 3
  } cases[] = {
      {"report t.qel --from 00000010 --lines 1", 0, "\n+00000010\t"},
      {"report t.qel --from 18446744073709551615", 3, "report: ERROR: Bus word does not exist: t.qel"},
      {"search t.qel --gap-min 0972 --gap-max +972 --count", 0, "11\n"},
      {"search t.qel --nth 9007199254740993 --json", 1, "\"occurrence\": 9007199254740993,"},
      {"report t.qel --from 0x10", 2, "report: --from: \"0x10\"" + from1},
      {"search t.qel --gap-min ''", 2, "search: --gap-min: \"\"" + all64},
      {"search t.qel --gap-min 50 --gap-max 20", 2, "search: ERROR: Syntax error: --gap-min 50 is above --gap-max 20"},
      {"search t.qel --pattern 1xxxxxxxxxxxxxxxxxxxxxx", 2, "search: ERROR: Syntax error: --pattern takes 24"},
      {"search t.qel --pattern 1xxxxxxxxxxxxxxxxxxxxxx2", 2, "search: ERROR: Syntax error: --pattern takes 24"},
      // A number past the largest is refused, not wrapped round to one in range.
      {"generate n.qel --records 5 --seed 18446744073709551616", 2,
       "generate: --seed: \"18446744073709551616\"" + all64},
      {"generate n.qel --records 5 --rate 0", 2, "generate: --rate: \"0\" is not a whole number from 1 to 2000000"},
      {"generate n.qel --records 10 --start 2024-02-30T00:00:00", 2, "generate: --start takes"},
      {"record n.qel --seconds 1.2.3", 2, "record: --seconds: \"1.2.3\" is not a number"},
      {"record n.qel --seconds 1 --max-size 0", 2, "record: --max-size: \"0\" is not a number from 0.0001 to 50"},
      // Only the tool splits the fields; their values are checked by the time search.
      {"find-time t.qel 000:00:00", 2, "ERROR: Syntax error: "},
      {"report missing.qel -o untouched.txt", 3, open + "missing.qel"},
      {"convert missing.SUP", 3, open + "missing.SUP"},
      {"count folder.qel", 3, open + "folder.qel"},
      {"report t.qel -o no/such/r.txt", 3, open + "no/such/r.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    const ToolRun run = runQeltool(c.arguments, folder.path);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    if (c.exitCode <= 1) {
      EXPECT_NE(run.out.find(c.text), std::string::npos) << run.out;
      continue;
    }
    EXPECT_EQ(run.out, "");
    const std::string command = c.arguments.substr(0, c.arguments.find(' '));
    const bool named = c.text.rfind("qeltool: ", 0) != 0;
    EXPECT_EQ(run.err.rfind(named ? "qeltool " + command + ": " : "qeltool: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(c.text), std::string::npos) << run.err;
  }
  EXPECT_FALSE(std::filesystem::exists(folder.file("n.qel")));
  EXPECT_FALSE(std::filesystem::exists(folder.file("untouched.txt")));
}
