// qeltool record, search, find-time and stats on files whose answers are known.
#include <gtest/gtest.h>

#include "tool_fixtures.h"

// 0.0005 GB is 33554.4 words: the recording from the simulated card ends at the third half of 16384.
TEST(RecordTool, MaximumSizeEndsTheRecordingAtAWholeHalf) {
  TempFolder folder;
  const std::string file = folder.file("limited.qel");
  const ToolRun run = runQeltool("record " + shellQuoted(file) + " --seconds 60 --rate 100000 --max-size 0.0005");
  EXPECT_EQ(run.exitCode, 3) << run.err;
  EXPECT_NE(run.err.find("ERROR: Maximum file size exceeded"), std::string::npos) << run.err;
  EXPECT_EQ(readBytes(file).size(), 3u * 16384u * kBusRecordBytes);
  EXPECT_EQ(run.out, "49152\n");
}

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
  writeDataFile(folder.file("s.qel"),
                {recordAtMicros(100, 0x800001, 0, 1), recordAtMicros(150, 0x000001, 1, 0, kErrorPy),
                 recordAtMicros(250, 0x800000, 2), recordAtMicros(260, 0xFFFFFF, 2, 1, kErrorSh),
                 recordAtMicros(1260, 0x123456, 3), recordAtMicros(1310, 0x800001)},
                10);
  const std::string json = "{\"file\": \"s.qel\", ";
  const ToolAnswer cases[] = {
      {"--lines", "1\n2\n3\n4\n5\n6\n", 0},
      {"--pattern 'xxxx_xxxx xxxx_xxxx xxxx_xxx0' --lines", "3\n5\n", 0},
      {"--sync DATA --errors none --lines", "3\n5\n6\n", 0},
      {"--bus J3 --lines", "3\n4\n", 0},
      // Gap after: the last record never matches.
      {"--gap after --gap-min 22 --lines", "1\n2\n4\n5\n", 0},
      {"--nth 2 --sync data", "3\n", 0},
      {"--count --errors with --json", json + "\"count\": 2}\n", 0},
      {"--nth 3 --bus j3 --json", json + "\"occurrence\": 3, \"found\": false, \"line\": null}\n", 1},
      {"--lines --sync cmd --json", json + "\"lines\": [1, 4], \"count\": 2}\n", 0},
  };
  expectToolAnswers("search s.qel ", cases, folder.path);
}

// The line found for a typed time tag (the search itself is the library's): every field may be
// empty; past the last record the line after it and exit 1. With --json the target exactly as
// typed, to the last digit a double would lose, and the first line of the View around the found
// line, the eleventh of twenty.
TEST(FindTimeTool, KnownAnswers) {
  TempFolder folder;
  std::vector<BusRecord> many;
  for (uint64_t i = 1; i <= 100; ++i) many.push_back(recordAtMicros(1000 * i));
  writeDataFile(folder.file("many.qel"), many, 12);
  const std::string json = "{\"file\": \"many.qel\", \"time\": ";
  const ToolAnswer cases[] = {
      {"many.qel :::", "1\n", 0},
      {"many.qel 0:0:0:0.1000005", "101\n", 1},
      {"--json many.qel 000:00:00:00.01200000051",
       json + "\"000:00:00:00.01200000051\", \"target_us\": 12000.00051, \"found\": true, \"line\": 13, "
              "\"records\": 100, \"view_from\": 3}\n",
       0},
      {"--json many.qel 366:23:59:59.9999985",
       json + "\"366:23:59:59.9999985\", \"target_us\": 31708799999998.5, \"found\": false, \"line\": 101, "
              "\"records\": 100, \"view_from\": 91}\n",
       1},
  };
  expectToolAnswers("find-time ", cases, folder.path);
}

//   1: 100 us    J1 CMND no errors
//   2: 150.5 us  J1 DATA Py
//   3: 250 us    J1 DATA Py Mn
//   4: 240 us    J1 CMND Py Mn Lg     (earlier than line 3)
//   5: 1240 us   J2 DATA Py Mn Lg Sh  (1000 us after line 4: the largest step)
//   6: 1240 us   J2 DATA no errors    (the same time as line 5)
//   7: 1200 us   J3 DATA no errors    (earlier than line 6)
TEST(StatsTool, CraftedFiles) {
  TempFolder folder;
  writeDataFile(folder.file("stats.qel"),
                {recordAtMicros(100, 1, 0, 1), testRecord({301, 2, 0, 0, 8}), recordAtMicros(250, 3, 0, 0, 12),
                 recordAtMicros(240, 4, 0, 1, 14), recordAtMicros(1240, 5, 1, 0, 15), recordAtMicros(1240, 6, 1),
                 recordAtMicros(1200, 7, 2)},
                5);
  const ToolRun text = runQeltool("stats stats.qel", folder.path);
  EXPECT_EQ(text.exitCode, 0) << text.err;
  EXPECT_EQ(text.out,
            "file                stats.qel\nbytes               117\nrecords             7\ntrailing bytes      5\n"
            "J1 words            4\nJ2 words            2\nJ3 words            1\n"
            "J4 words            0\nCMND words          2\nDATA words          5\n"
            "NO ERRORS words     3\nPy words            4\nMn words            3\n"
            "Lg words            2\nSh words            1\n"
            "first time tag      000:00:00:00.0001000\nlast time tag       000:00:00:00.0012000\n"
            "largest gap (us)    972.0 before line 5\ntime going back     2 (first before line 4)\n");
}
