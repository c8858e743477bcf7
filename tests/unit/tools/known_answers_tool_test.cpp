// qeltool search and find-time on files whose answers are known: the options reach the library as they
// should (the searches themselves are checked against record-by-record oracles in the search tests).
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
  writeDataFile(folder.file("s.qel"),
                {recordAtMicros(100, 0x800001, 0, 1), recordAtMicros(150, 0x000001, 1, 0, kErrorPy),
                 recordAtMicros(250, 0x800000, 2), recordAtMicros(260, 0xFFFFFF, 2, 1, kErrorSh),
                 recordAtMicros(1260, 0x123456, 3), recordAtMicros(1310, 0x800001)},
                10);
  const std::string json = "{\"file\":\"s.qel\",";
  const ToolAnswer cases[] = {
      {"--pattern 'xxxx_xxxx xxxx_xxxx xxxx_xxx0' --lines", "3\n5\n", 0},
      // Gap after: the last record never matches.
      {"--gap after --gap-min 22 --lines", "1\n2\n4\n5\n", 0},
      {"--count --errors with --json", json + "\"count\":2}\n", 0},
      // Several files with --count: a line each, named; a file that fails, exit 3 after the rest.
      {"--count --bus j4 missing.qel", "s.qel: 1\n", 3},
      {"--count --bus j4 --errors with s.qel --json", json + "\"count\":0}\n" + json + "\"count\":0}\n", 1},
      // Numbers with leading zeros and a "+", and beyond what a double holds exactly.
      {"--gap-min 0972 --gap-max +972 --count", "1\n", 0},
      {"--nth 9007199254740993 --bus j3 --json",
       json + "\"occurrence\":9007199254740993,\"found\":false,\"line\":null}\n", 1},
      {"--lines --sync cmd --json", json + "\"lines\":[1,4],\"count\":2}\n", 0},
  };
  expectToolAnswers("search s.qel ", cases, folder.path);
}

// The line found for a typed time tag (the search itself is the library's): every field may be
// empty; past the last record the line after it and exit 1. With --json the target as the double
// nearest the digits typed (not the sum of the fields' doubles), and the first line of the View
// around the found line, the eleventh of twenty.
TEST(FindTimeTool, FieldsAndJson) {
  TempFolder folder;
  std::vector<BusRecord> many;
  for (uint64_t i = 1; i <= 100; ++i) many.push_back(recordAtMicros(1000 * i));
  writeDataFile(folder.file("many.qel"), many, 12);
  const std::string json = "{\"file\":\"many.qel\",\"time\":";
  const ToolAnswer cases[] = {
      {"many.qel :::", "1\n", 0},
      {"--json many.qel 000:00:00:00.01200000051",
       json + "\"000:00:00:00.01200000051\",\"target_us\":12000.00051,\"found\":true,\"line\":13,"
              "\"records\":100,\"view_from\":3}\n",
       0},
      {"--json many.qel 366:23:59:59.9999985",
       json + "\"366:23:59:59.9999985\",\"target_us\":31708799999998.5,\"found\":false,\"line\":101,"
              "\"records\":100,\"view_from\":91}\n",
       1},
      // After the first record (at 1000 us); several files, a line each, found in any: exit 0.
      {"--json many.qel +00:00:00.0115",
       json + "\"+00:00:00.0115\",\"target_us\":12500.0,\"found\":true,\"line\":13,\"records\":100,"
              "\"view_from\":3}\n",
       0},
      {"many.qel many.qel +0:0:0.099", "many.qel: 100\nmany.qel: 100\n", 0},
      {"many.qel many.qel +0:0:0.0990001", "many.qel: 101\nmany.qel: 101\n", 1},
  };
  expectToolAnswers("find-time ", cases, folder.path);
}
