// qeltool find-time: the first record at or after a typed time tag, on files with known answers.
#include <gtest/gtest.h>

#include "tool_fixtures.h"

namespace {

struct FindCase {
  const char* time;
  const char* out;
  int exitCode;
};

void runCases(const std::string& file, const std::vector<FindCase>& cases) {
  for (const FindCase& c : cases) {
    const ToolRun run = runQeltool("find-time " + shellQuoted(file) + " " + shellQuoted(c.time));
    EXPECT_EQ(run.exitCode, c.exitCode) << c.time << "\n" << run.err;
    EXPECT_EQ(run.out, c.out) << c.time;
  }
}

}  // namespace

TEST(FindTimeTool, RecordsAtOneTwoAndThreeHundredMicroseconds) {
  TempFolder folder;
  const std::string file = folder.file("three.qel");
  writeRecords(file,
               {makeRecord(tagFromMicros(100), 0, 0, 0, 1), makeRecord(tagFromMicros(200), 0, 0, 0, 2),
                makeRecord(tagFromMicros(300), 0, 0, 0, 3)},
               12);
  runCases(file, {
                     {"000:00:00:00.0002", "2\n", 0},
                     {"0:0:0:0.00015", "2\n", 0},
                     {"000:00:00:00.0001", "1\n", 0},
                     {"000:00:00:00", "1\n", 0},
                     {":::", "1\n", 0},  // every field empty: time 0
                     {"000:00:00:00.0003", "3\n", 0},
                     {"000:00:00:00.0002995", "3\n", 0},
                     // Past the last record: the line after it, and nothing found.
                     {"000:00:00:00.000301", "4\n", 1},
                     {"001:00:00:00", "4\n", 1},
                 });
}

TEST(FindTimeTool, FirstInFileOrderWinsAndDaysCount) {
  TempFolder folder;
  const std::string file = folder.file("unordered.qel");
  const uint64_t day123 = 123ull * 86400000000ull + 4ull * 3600000000ull + 5ull * 60000000ull + 6000000ull;
  writeRecords(file, {makeRecord(tagFromMicros(500), 0, 0, 0, 1), makeRecord(tagFromMicros(100), 0, 0, 0, 2),
                      makeRecord(tagFromMicros(300), 0, 0, 0, 3), makeRecord(tagFromMicros(day123 + 7008), 0, 0, 0, 4),
                      makeRecord(tagFromHalfMicros(2 * (day123 + 7100) + 1), 0, 0, 0, 5)});
  runCases(file, {
                     {"000:00:00:00.0002", "1\n", 0},  // line 1 (500) is after it, though line 3 is closer
                     {"000:00:00:00.000501", "4\n", 0},
                     {"123:04:05:06.007008", "4\n", 0},
                     {"123:04:05:06.0070081", "5\n", 0},
                     {"123:04:05:06.0071005", "5\n", 0},  // an odd halfMicros is half a microsecond more
                     {"123:04:05:06.0071006", "6\n", 1},
                 });
}

TEST(FindTimeTool, EmptyFileFindsNothing) {
  TempFolder folder;
  const std::string file = folder.file("empty.qel");
  writeRecords(file, {});
  runCases(file, {{"000:00:00:00", "1\n", 1}});
}

TEST(FindTimeTool, JsonNamesTheLineAndTheViewStart) {
  TempFolder folder;
  const std::string file = folder.file("many.qel");
  std::vector<BusRecord> records;
  for (uint64_t i = 0; i < 100; ++i) records.push_back(makeRecord(tagFromMicros(1000 * (i + 1)), 0, 0, 0, 0));
  writeRecords(file, records);
  const std::string head = "{\"file\": \"" + file + "\", \"time\": ";
  struct {
    const char* time;
    std::string out;
    int exitCode;
  } cases[] = {
      {"000:00:00:00.012",
       "\"000:00:00:00.012\", \"target_us\": 12000.0, \"found\": true, \"line\": 12, \"records\": 100, "
       "\"view_from\": 2}\n",
       0},
      {"000:00:00:00.0105",
       "\"000:00:00:00.0105\", \"target_us\": 10500.0, \"found\": true, \"line\": 11, \"records\": 100, "
       "\"view_from\": 1}\n",
       0},
      {"001:00:00:00",
       "\"001:00:00:00\", \"target_us\": 86400000000.0, \"found\": false, \"line\": 101, \"records\": 100, "
       "\"view_from\": 91}\n",
       1},
  };
  for (const auto& c : cases) {
    const ToolRun run = runQeltool("find-time --json " + shellQuoted(file) + " " + c.time);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.time;
    EXPECT_EQ(run.out, head + c.out) << c.time;
  }
}

TEST(FindTimeTool, MalformedTimesAreUsageErrors) {
  TempFolder folder;
  const std::string file = folder.file("one.qel");
  writeRecords(file, {makeRecord(tagFromMicros(100), 0, 0, 0, 1)});
  const char* cases[] = {
      "367:00:00:00",          // day beyond 366
      "1000:00:00:00",         // four digits of day
      "000:24:00:00",          // hours
      "000:123:00:00",         // three digits of hours
      "000:00:60:00",          // minutes
      "000:00:00:60",          // seconds
      "000:00:00:00.9999991",  // a fraction of a microsecond over the second
      "000:00:00",             // three fields
      "000:00:00:00:00",       // five fields
      "000:00:00:00.5.5",
      "a:00:00:00",
      "000:00:00:00,5",
  };
  for (const char* time : cases) {
    const ToolRun run = runQeltool("find-time " + shellQuoted(file) + " " + shellQuoted(time));
    EXPECT_EQ(run.exitCode, 2) << time;
    EXPECT_EQ(run.out, "") << time;
    EXPECT_NE(run.err.find("ERROR: Syntax error"), std::string::npos) << time << run.err;
  }
}
