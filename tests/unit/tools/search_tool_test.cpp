// qeltool search on a small crafted file whose matches are known for every criterion.
#include <gtest/gtest.h>

#include "tool_fixtures.h"

// Time tags in microseconds and the gap to the record before (tag difference less 28 us):
//   line 1: 100   -      J1 CMND no errors  800001
//   line 2: 150   22     J2 DATA Py         000001
//   line 3: 250   72     J3 DATA no errors  800000
//   line 4: 260  -18     J3 CMND Sh         FFFFFF
//   line 5: 1260 972     J4 DATA no errors  123456
//   line 6: 1310  22     J1 DATA no errors  800001
// followed by 10 bytes of a cut-off record, which no search sees.
TEST(SearchTool, KnownAnswers) {
  TempFolder folder;
  const std::string file = folder.file("search.qel");
  writeRecords(file,
               {makeRecord(tagFromMicros(100), 0, 1, 0, 0x800001), makeRecord(tagFromMicros(150), 1, 0, 8, 0x000001),
                makeRecord(tagFromMicros(250), 2, 0, 0, 0x800000), makeRecord(tagFromMicros(260), 2, 1, 1, 0xFFFFFF),
                makeRecord(tagFromMicros(1260), 3, 0, 0, 0x123456), makeRecord(tagFromMicros(1310), 0, 0, 0, 0x800001)},
               10);
  const std::string json = "{\"file\": \"" + file + "\", ";
  const struct {
    const char* arguments;
    std::string out;
    int exitCode;
  } cases[] = {
      {"--lines", "1\n2\n3\n4\n5\n6\n", 0},
      {"--pattern 1xxxxxxxxxxxxxxxxxxxxxxx --lines", "1\n3\n4\n6\n", 0},
      {"--pattern 'xxxx_xxxx xxxx_xxxx xxxx_xxx0' --lines", "3\n5\n", 0},
      {"--pattern 000100100011010001010110 --lines", "5\n", 0},
      {"--sync cmd --lines", "1\n4\n", 0},
      {"--sync DATA --lines", "2\n3\n5\n6\n", 0},
      {"--errors none --lines", "1\n3\n5\n6\n", 0},
      {"--bus J3 --lines", "3\n4\n", 0},
      {"--bus jx --lines", "1\n2\n3\n4\n5\n6\n", 0},
      // Gap before: the first record never matches once a bound is set; bounds are inclusive.
      {"--gap-min 22 --lines", "2\n3\n5\n6\n", 0},
      {"--gap-min 23 --lines", "3\n5\n", 0},
      {"--gap-max 22 --lines", "2\n4\n6\n", 0},
      {"--gap-max 21 --lines", "4\n", 0},
      {"--gap-min 0 --gap-max 100 --lines", "2\n3\n6\n", 0},
      // Gap after: the last record never matches.
      {"--gap after --gap-min 22 --lines", "1\n2\n4\n5\n", 0},
      {"--gap after --gap-max 0 --lines", "3\n", 0},
      {"--gap after --lines", "1\n2\n3\n4\n5\n6\n", 0},
      {"", "1\n", 0},
      {"--nth 6", "6\n", 0},
      {"--nth 7", "", 1},
      {"--nth 2 --sync data", "3\n", 0},
      {"--count", "6\n", 0},
      {"--count --sync data --errors none --bus j1", "1\n", 0},
      {"--count --sync cmd --bus j2", "0\n", 1},
      {"--lines --sync cmd --bus j2", "", 1},
      {"--count --errors with --json", json + "\"count\": 2}\n", 0},
      {"--nth 2 --bus j3 --json", json + "\"occurrence\": 2, \"found\": true, \"line\": 4}\n", 0},
      {"--nth 3 --bus j3 --json", json + "\"occurrence\": 3, \"found\": false, \"line\": null}\n", 1},
      {"--lines --sync cmd --json", json + "\"lines\": [1, 4], \"count\": 2}\n", 0},
      {"--lines --bus j2 --sync cmd --json", json + "\"lines\": [], \"count\": 0}\n", 1},
  };
  for (const auto& c : cases) {
    const ToolRun run = runQeltool("search " + shellQuoted(file) + " " + c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.err;
    EXPECT_EQ(run.out, c.out) << c.arguments;
    const bool noneFound = c.exitCode == 1 && c.out.empty();
    EXPECT_EQ(run.err.find("None Found") != std::string::npos, noneFound) << c.arguments << "\n" << run.err;
  }
}
