// qeltool's usage errors, help and failures on files it cannot use.
#include <gtest/gtest.h>

#include "tool_fixtures.h"

TEST(UsageTool, BadArgumentsExitTwoWithAMessage) {
  TempFolder folder;
  writeRecords(folder.file("one.qel"), {makeRecord(tagFromMicros(100), 0, 0, 0, 1)});
  // Search patterns of 23 and 25 characters, and one with a character other than 1, 0 and x.
  const char* generic[] = {
      "", "frobnicate one.qel", "count", "count one.qel one.qel", "count --records one.qel", "convert",
      "report one.qel --from 0", "report one.qel --from x", "report one.qel --lines 0", "report one.qel --format hex",
      "generate one.qel", "generate one.qel --records 10 --rate 0", "generate one.qel --records 10 --start yesterday",
      "generate one.qel --records 10 --start 2024-02-30T00:00:00", "record one.qel", "record one.qel --seconds -1",
      "record one.qel --seconds 1 --max-size 0", "record one.qel --seconds 1 --max-size 51",
      "search one.qel --pattern 1xxxxxxxxxxxxxxxxxxxxxx", "search one.qel --pattern 1xxxxxxxxxxxxxxxxxxxxxxxx",
      "search one.qel --pattern 1xxxxxxxxxxxxxxxxxxxxxx2", "search one.qel --gap-min 50 --gap-max 20",
      "search one.qel --nth 0", "search one.qel --nth 2 --count", "search one.qel --count --lines",
      "search one.qel --sync both", "search one.qel --bus j5", "search one.qel --gap sideways --gap-min 1",
      "find-time one.qel"};
  // Only the tool splits the fields; their values are checked by the time search.
  const char* times[] = {"367:00:00:00", "000:00:00", "000:00:00:00:00", "000:00:00:00.5.5", "000:00:00:00,5"};
  std::vector<std::pair<std::string, std::string>> cases;  // arguments, a text of standard error
  for (const char* arguments : generic) cases.push_back({arguments, ""});
  for (const char* time : times) cases.push_back({std::string("find-time one.qel ") + time, "ERROR: Syntax error"});
  for (const auto& c : cases) {
    const ToolRun run = runQeltool(c.first, folder.path);
    EXPECT_EQ(run.exitCode, 2) << c.first;
    EXPECT_EQ(run.out, "") << c.first;
    EXPECT_NE(run.err, "") << c.first;
    EXPECT_NE(run.err.find(c.second), std::string::npos) << c.first << "\n" << run.err;
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

// The status text and the file it concerns, on standard error.
TEST(UsageTool, FilesThatCannotBeUsedExitThreeWithTheStatusText) {
  TempFolder folder;
  writeRecords(folder.file("good.qel"), {makeRecord(tagFromMicros(100), 0, 0, 0, 1)});
  std::filesystem::create_directory(folder.file("folder.qel"));
  const char* open = "ERROR: Could not open file";
  const char* noWord = "ERROR: Bus word does not exist";
  const char* cases[][3] = {
      {"count missing.qel", open, "missing.qel"},
      {"report missing.qel", open, "missing.qel"},
      {"report missing.qel -o untouched.txt", open, "missing.qel"},
      {"search missing.qel --count", open, "missing.qel"},
      {"find-time missing.qel 000:00:00:00", open, "missing.qel"},
      {"stats missing.qel", open, "missing.qel"},
      {"convert missing.SUP", open, "missing.SUP"},
      {"count folder.qel", open, "folder.qel"},
      {"stats folder.qel", open, "folder.qel"},
      {"search folder.qel", open, "folder.qel"},
      {"report good.qel -o no/such/r.txt", open, "no/such/r.txt"},
      {"generate no/such/g.qel --records 5", open, "no/such/g.qel"},
      {"record no/such/r.qel --seconds 1", open, "no/such/r.qel"},
      // One past the last record is the end of the data; two past is no record at all.
      {"report good.qel --from 3", noWord, "good.qel"},
      {"report good.qel --from 3 -o emptied.txt", noWord, "good.qel"},
  };
  for (const auto& c : cases) {
    const ToolRun run = runQeltool(c[0], folder.path);
    EXPECT_EQ(run.exitCode, 3) << c[0];
    EXPECT_EQ(run.out, "") << c[0];
    EXPECT_NE(run.err.find(std::string(c[1]) + ": " + c[2]), std::string::npos) << c[0] << "\n" << run.err;
  }
  // The report file is not touched when the data file does not open; as with "QEL.TMP", it is
  // left empty when the data has no such record.
  EXPECT_FALSE(std::filesystem::exists(folder.file("untouched.txt")));
  EXPECT_TRUE(std::filesystem::exists(folder.file("emptied.txt")) && readText(folder.file("emptied.txt")).empty());
}
