// qeltool find-time: the first record at or after a typed time tag, on files with known answers.
#include <gtest/gtest.h>

#include "tool_fixtures.h"

TEST(FindTimeTool, KnownAnswers) {
  TempFolder folder;
  writeRecords(folder.file("three.qel"),
               {makeRecord(tagFromMicros(100), 0, 0, 0, 1), makeRecord(tagFromMicros(200), 0, 0, 0, 2),
                makeRecord(tagFromMicros(300), 0, 0, 0, 3)},
               12);
  const uint64_t day123 = 123ull * 86400000000ull + 4ull * 3600000000ull + 5ull * 60000000ull + 6000000ull;
  writeRecords(folder.file("unordered.qel"),
               {makeRecord(tagFromMicros(500), 0, 0, 0, 1), makeRecord(tagFromMicros(100), 0, 0, 0, 2),
                makeRecord(tagFromMicros(300), 0, 0, 0, 3), makeRecord(tagFromMicros(day123 + 7008), 0, 0, 0, 4),
                makeRecord(tagFromHalfMicros(2 * (day123 + 7100) + 1), 0, 0, 0, 5)});
  writeRecords(folder.file("empty.qel"), {});
  std::vector<BusRecord> many;
  for (uint64_t i = 1; i <= 100; ++i) many.push_back(makeRecord(tagFromMicros(1000 * i), 0, 0, 0, 0));
  writeRecords(folder.file("many.qel"), many);
  const std::string json = "{\"file\": \"many.qel\", \"time\": ";
  const struct {
    const char* arguments;
    std::string out;
    int exitCode;
  } cases[] = {
      {"three.qel 000:00:00:00.0002", "2\n", 0},
      {"three.qel 0:0:0:0.00015", "2\n", 0},
      {"three.qel :::", "1\n", 0},  // every field empty: time 0
      {"three.qel 000:00:00:00.0003", "3\n", 0},
      {"three.qel 000:00:00:00.0002995", "3\n", 0},
      {"three.qel 000:00:00:00.000301", "4\n", 1},  // past the last record: the line after it
      {"three.qel 001:00:00:00", "4\n", 1},
      {"unordered.qel 000:00:00:00.0002", "1\n", 0},  // the first in file order, though line 3 is closer
      {"unordered.qel 000:00:00:00.000501", "4\n", 0},
      {"unordered.qel 123:04:05:06.007008", "4\n", 0},
      {"unordered.qel 123:04:05:06.0070081", "5\n", 0},
      {"unordered.qel 123:04:05:06.0071005", "5\n", 0},  // an odd halfMicros is half a microsecond more
      {"unordered.qel 123:04:05:06.0071006", "6\n", 1},
      {"empty.qel 000:00:00:00", "1\n", 1},
      // The found line and the first line of the View around it, the eleventh of twenty.
      {"--json many.qel 000:00:00:00.012",
       json + "\"000:00:00:00.012\", \"target_us\": 12000.0, \"found\": true, \"line\": 12, \"records\": 100, "
              "\"view_from\": 2}\n",
       0},
      {"--json many.qel 000:00:00:00.0105",
       json + "\"000:00:00:00.0105\", \"target_us\": 10500.0, \"found\": true, \"line\": 11, \"records\": 100, "
              "\"view_from\": 1}\n",
       0},
      // The target exactly as typed, to the last digit a double would lose.
      {"--json many.qel 000:00:00:00.01200000051",
       json + "\"000:00:00:00.01200000051\", \"target_us\": 12000.00051, \"found\": true, \"line\": 13, "
              "\"records\": 100, \"view_from\": 3}\n",
       0},
      {"--json many.qel 366:23:59:59.9999985",
       json + "\"366:23:59:59.9999985\", \"target_us\": 31708799999998.5, \"found\": false, \"line\": 101, "
              "\"records\": 100, \"view_from\": 91}\n",
       1},
      {"--json many.qel 001:00:00:00",
       json + "\"001:00:00:00\", \"target_us\": 86400000000.0, \"found\": false, \"line\": 101, \"records\": 100, "
              "\"view_from\": 91}\n",
       1},
  };
  for (const auto& c : cases) {
    const ToolRun run = runQeltool(std::string("find-time ") + c.arguments, folder.path);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.err;
    EXPECT_EQ(run.out, c.out) << c.arguments;
  }
}
