// qeltool stats: the figures of a crafted file, and agreement with the report and count on a
// generated one.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tool_fixtures.h"

namespace {

// Seven records and a cut-off one, every count different from its neighbours':
//   1: 100 us    J1 CMND no errors
//   2: 150.5 us  J1 DATA Py
//   3: 250 us    J1 DATA Py Mn
//   4: 240 us    J1 CMND Py Mn Lg     (earlier than line 3)
//   5: 1240 us   J2 DATA Py Mn Lg Sh  (1000 us after line 4: the largest step)
//   6: 1240 us   J2 DATA no errors    (the same time as line 5)
//   7: 1200 us   J3 DATA no errors    (earlier than line 6)
std::string writeStatsFile(const TempFolder& folder) {
  const std::string path = folder.file("stats.qel");
  writeRecords(path,
               {makeRecord(tagFromMicros(100), 0, 1, 0, 0x1), makeRecord(tagFromHalfMicros(301), 0, 0, 8, 0x2),
                makeRecord(tagFromMicros(250), 0, 0, 12, 0x3), makeRecord(tagFromMicros(240), 0, 1, 14, 0x4),
                makeRecord(tagFromMicros(1240), 1, 0, 15, 0x5), makeRecord(tagFromMicros(1240), 1, 0, 0, 0x6),
                makeRecord(tagFromMicros(1200), 2, 0, 0, 0x7)},
               5);
  return path;
}

// The value of a "key": number pair in a line of JSON.
long long jsonNumber(const std::string& json, const std::string& key) {
  const size_t at = json.find("\"" + key + "\": ");
  if (at == std::string::npos) return -1;
  return std::atoll(json.c_str() + at + key.size() + 4);
}

}  // namespace

TEST(StatsTool, CraftedFileText) {
  TempFolder folder;
  const std::string file = writeStatsFile(folder);
  const ToolRun run = runQeltool("stats " + shellQuoted(file));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "file                " + file +
                         "\n"
                         "bytes               117\n"
                         "records             7\n"
                         "trailing bytes      5\n"
                         "J1 words            4\n"
                         "J2 words            2\n"
                         "J3 words            1\n"
                         "J4 words            0\n"
                         "CMND words          2\n"
                         "DATA words          5\n"
                         "NO ERRORS words     3\n"
                         "Py words            4\n"
                         "Mn words            3\n"
                         "Lg words            2\n"
                         "Sh words            1\n"
                         "first time tag      000:00:00:00.0001000\n"
                         "last time tag       000:00:00:00.0012000\n"
                         "largest gap (us)    972.0 before line 5\n"
                         "time going back     2 (first before line 4)\n");
}

TEST(StatsTool, CraftedFileJson) {
  TempFolder folder;
  const std::string file = writeStatsFile(folder);
  const ToolRun run = runQeltool("stats --json " + shellQuoted(file));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "{\"file\": \"" + file +
                         "\", \"bytes\": 117, \"records\": 7, \"trailing_bytes\": 5,\n"
                         " \"channels\": {\"J1\": 4, \"J2\": 2, \"J3\": 1, \"J4\": 0},\n"
                         " \"sync\": {\"CMND\": 2, \"DATA\": 5},\n"
                         " \"errors\": {\"none\": 3, \"Py\": 4, \"Mn\": 3, \"Lg\": 2, \"Sh\": 1},\n"
                         " \"first_time_tag\": \"000:00:00:00.0001000\", \"last_time_tag\": \"000:00:00:00.0012000\",\n"
                         " \"largest_gap_us\": 972.0, \"largest_gap_line\": 5,\n"
                         " \"backward_steps\": 2, \"first_backward_line\": 4}\n");
}

TEST(StatsTool, EmptyAndSingleRecordFiles) {
  TempFolder folder;
  const std::string empty = folder.file("empty.qel");
  writeRecords(empty, {});
  const ToolRun none = runQeltool("stats --json " + shellQuoted(empty));
  EXPECT_EQ(none.exitCode, 0);
  EXPECT_NE(none.out.find("\"records\": 0,"), std::string::npos) << none.out;
  EXPECT_NE(none.out.find("\"first_time_tag\": null, \"last_time_tag\": null"), std::string::npos) << none.out;
  EXPECT_NE(none.out.find("\"largest_gap_us\": null"), std::string::npos) << none.out;

  const std::string one = folder.file("one.qel");
  writeRecords(one, {makeRecord(tagFromMicros(86400000000ull * 366 + 1), 3, 1, 0, 0xFFFFFF)});
  const ToolRun single = runQeltool("stats " + shellQuoted(one));
  EXPECT_NE(single.out.find("first time tag      366:00:00:00.0000010\n"), std::string::npos) << single.out;
  EXPECT_NE(single.out.find("last time tag       366:00:00:00.0000010\n"), std::string::npos) << single.out;
  EXPECT_NE(single.out.find("largest gap (us)    none\n"), std::string::npos) << single.out;
}

// On generated traffic (more than one read block of records) the figures agree with count and
// with the report's TIME and GAP columns.
TEST(StatsTool, AgreesWithCountAndReportOnGeneratedTraffic) {
  TempFolder folder;
  const std::string file = folder.file("gen.qel");
  ASSERT_EQ(
      runQeltool("generate " + shellQuoted(file) + " --records 100000 --seed 7 --start '2024-02-29 23:59:59'").exitCode,
      0);
  const ToolRun stats = runQeltool("stats --json " + shellQuoted(file));
  ASSERT_EQ(stats.exitCode, 0) << stats.err;
  EXPECT_EQ(jsonNumber(stats.out, "records"), 100000);
  EXPECT_EQ(runQeltool("count " + shellQuoted(file)).out, "100000\n");
  EXPECT_EQ(jsonNumber(stats.out, "J1") + jsonNumber(stats.out, "J2") + jsonNumber(stats.out, "J3") +
                jsonNumber(stats.out, "J4"),
            100000);
  EXPECT_EQ(jsonNumber(stats.out, "CMND") + jsonNumber(stats.out, "DATA"), 100000);
  EXPECT_EQ(jsonNumber(stats.out, "backward_steps"), 0);

  const std::vector<std::string> report = splitLines(runQeltool("report " + shellQuoted(file)).out);
  ASSERT_EQ(report.size(), 3u + 100000u + 1u);
  auto column = [](const std::string& line, int index) {
    size_t start = 0;
    for (int i = 0; i < index; ++i) start = line.find('\t', start) + 1;
    return line.substr(start, line.find('\t', start) - start);
  };
  EXPECT_NE(stats.out.find("\"first_time_tag\": \"" + column(report[3], 1) + "\""), std::string::npos);
  EXPECT_NE(stats.out.find("\"last_time_tag\": \"" + column(report[100002], 1) + "\""), std::string::npos);
  // The largest GAP(uS) value and its line.
  double largest = -1.0;
  long long largestLine = 0;
  for (size_t i = 3; i < 100003; ++i) {
    const std::string gap = column(report[i], 2);
    if (gap.empty() || gap[0] == ' ' || gap[0] == '>') continue;
    const double value = std::atof(gap.c_str());
    if (value > largest) {
      largest = value;
      largestLine = static_cast<long long>(i - 2);
    }
  }
  char expected[64];
  std::snprintf(expected, sizeof expected, "\"largest_gap_us\": %.1f, \"largest_gap_line\": %lld", largest,
                largestLine);
  EXPECT_NE(stats.out.find(expected), std::string::npos) << expected << "\n" << stats.out;
}
