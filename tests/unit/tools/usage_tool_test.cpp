// qeltool's usage errors, help and failures on files it cannot use.
#include <gtest/gtest.h>

#include "tool_fixtures.h"

TEST(UsageTool, BadArgumentsExitTwoWithAMessage) {
  TempFolder folder;
  const std::string file = folder.file("one.qel");
  writeRecords(file, {makeRecord(tagFromMicros(100), 0, 0, 0, 1)});
  const std::string f = shellQuoted(file);
  const std::string cases[] = {
      "",
      "frobnicate " + f,
      "count",
      "count " + f + " " + f,
      "count --records " + f,
      "report " + f + " --from 0",
      "report " + f + " --from -3",
      "report " + f + " --from x",
      "report " + f + " --lines 0",
      "report " + f + " --format hex",
      "find-time " + f,
      "convert",
      "generate " + f,
      "generate " + f + " --records 10 --rate 0",
      "generate " + f + " --records 10 --start 2024-02-30T00:00:00",
      "generate " + f + " --records 10 --start yesterday",
      "record " + f,
      "record " + f + " --seconds 1 --max-size 0",
      "record " + f + " --seconds 1 --max-size 51",
      "record " + f + " --seconds -1",
  };
  for (const std::string& arguments : cases) {
    const ToolRun run = runQeltool(arguments);
    EXPECT_EQ(run.exitCode, 2) << arguments;
    EXPECT_EQ(run.out, "") << arguments;
    EXPECT_NE(run.err, "") << arguments;
  }
}

TEST(UsageTool, HelpForEverySubcommand) {
  for (const char* subcommand :
       {"", "report", "search", "find-time", "count", "convert", "stats", "generate", "record"}) {
    const ToolRun run = runQeltool(std::string(subcommand) + " --help");
    EXPECT_EQ(run.exitCode, 0) << subcommand;
    EXPECT_NE(run.out.find("Usage: qeltool"), std::string::npos) << subcommand << run.out;
    EXPECT_EQ(run.err, "") << subcommand;
  }
}

TEST(UsageTool, FilesThatCannotBeUsedExitThreeWithTheStatusText) {
  TempFolder folder;
  const std::string missing = shellQuoted(folder.file("missing.qel"));
  const std::string directory = shellQuoted(folder.path);
  const std::string good = shellQuoted(folder.file("good.qel"));
  writeRecords(folder.file("good.qel"), {makeRecord(tagFromMicros(100), 0, 0, 0, 1)});
  const struct {
    std::string arguments;
    const char* text;
    std::string subject;
  } cases[] = {
      {"count " + missing, "ERROR: Could not open file", folder.file("missing.qel")},
      {"report " + missing, "ERROR: Could not open file", folder.file("missing.qel")},
      {"report " + missing + " -o " + shellQuoted(folder.file("r.txt")), "ERROR: Could not open file",
       folder.file("missing.qel")},
      {"search " + missing + " --count", "ERROR: Could not open file", folder.file("missing.qel")},
      {"find-time " + missing + " 000:00:00:00", "ERROR: Could not open file", folder.file("missing.qel")},
      {"stats " + missing, "ERROR: Could not open file", folder.file("missing.qel")},
      {"convert " + shellQuoted(folder.file("missing.SUP")), "ERROR: Could not open file", folder.file("missing.SUP")},
      {"count " + directory, "ERROR: Could not open file", folder.path},
      {"stats " + directory, "ERROR: Could not open file", folder.path},
      {"search " + directory, "ERROR: Could not open file", folder.path},
      {"report " + good + " -o " + shellQuoted(folder.file("no/such/folder.txt")), "ERROR: Could not open file",
       folder.file("no/such/folder.txt")},
      {"generate " + shellQuoted(folder.file("no/such/folder.qel")) + " --records 5", "ERROR: Could not open file",
       folder.file("no/such/folder.qel")},
      {"record " + shellQuoted(folder.file("no/such/folder.qel")) + " --seconds 1", "ERROR: Could not open file",
       folder.file("no/such/folder.qel")},
  };
  for (const auto& c : cases) {
    const ToolRun run = runQeltool(c.arguments);
    EXPECT_EQ(run.exitCode, 3) << c.arguments;
    EXPECT_EQ(run.out, "") << c.arguments;
    EXPECT_NE(run.err.find(c.text), std::string::npos) << c.arguments << "\n" << run.err;
    EXPECT_NE(run.err.find(c.subject), std::string::npos) << c.arguments << "\n" << run.err;
  }
  EXPECT_FALSE(fileExists(folder.file("r.txt")));  // the report file is not touched when the data fails
}
