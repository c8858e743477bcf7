// qeltool stats: the figures of crafted files, and agreement with the report and count on a
// generated one.
#include <gtest/gtest.h>

#include <cstdio>

#include "tool_fixtures.h"

// Seven records and a cut-off one, every count different from its neighbours':
//   1: 100 us    J1 CMND no errors
//   2: 150.5 us  J1 DATA Py
//   3: 250 us    J1 DATA Py Mn
//   4: 240 us    J1 CMND Py Mn Lg     (earlier than line 3)
//   5: 1240 us   J2 DATA Py Mn Lg Sh  (1000 us after line 4: the largest step)
//   6: 1240 us   J2 DATA no errors    (the same time as line 5)
//   7: 1200 us   J3 DATA no errors    (earlier than line 6)
TEST(StatsTool, CraftedFiles) {
  TempFolder folder;
  const std::string file = folder.file("stats.qel");
  writeRecords(file,
               {makeRecord(tagFromMicros(100), 0, 1, 0, 0x1), makeRecord(tagFromHalfMicros(301), 0, 0, 8, 0x2),
                makeRecord(tagFromMicros(250), 0, 0, 12, 0x3), makeRecord(tagFromMicros(240), 0, 1, 14, 0x4),
                makeRecord(tagFromMicros(1240), 1, 0, 15, 0x5), makeRecord(tagFromMicros(1240), 1, 0, 0, 0x6),
                makeRecord(tagFromMicros(1200), 2, 0, 0, 0x7)},
               5);
  const ToolRun text = runQeltool("stats " + shellQuoted(file));
  EXPECT_EQ(text.exitCode, 0) << text.err;
  EXPECT_EQ(text.out, "file                " + file +
                          "\nbytes               117\nrecords             7\ntrailing bytes      5\n"
                          "J1 words            4\nJ2 words            2\nJ3 words            1\n"
                          "J4 words            0\nCMND words          2\nDATA words          5\n"
                          "NO ERRORS words     3\nPy words            4\nMn words            3\n"
                          "Lg words            2\nSh words            1\n"
                          "first time tag      000:00:00:00.0001000\nlast time tag       000:00:00:00.0012000\n"
                          "largest gap (us)    972.0 before line 5\ntime going back     2 (first before line 4)\n");
  const ToolRun json = runQeltool("stats --json " + shellQuoted(file));
  EXPECT_EQ(json.exitCode, 0) << json.err;
  EXPECT_EQ(json.out,
            "{\"file\": \"" + file +
                "\", \"bytes\": 117, \"records\": 7, \"trailing_bytes\": 5,\n"
                " \"channels\": {\"J1\": 4, \"J2\": 2, \"J3\": 1, \"J4\": 0},\n"
                " \"sync\": {\"CMND\": 2, \"DATA\": 5},\n"
                " \"errors\": {\"none\": 3, \"Py\": 4, \"Mn\": 3, \"Lg\": 2, \"Sh\": 1},\n"
                " \"first_time_tag\": \"000:00:00:00.0001000\", \"last_time_tag\": \"000:00:00:00.0012000\",\n"
                " \"largest_gap_us\": 972.0, \"largest_gap_line\": 5,\n"
                " \"backward_steps\": 2, \"first_backward_line\": 4}\n");

  // No record, and a single one: no gap, no time tag or the same one twice.
  const std::string empty = folder.file("empty.qel"), one = folder.file("one.qel");
  writeRecords(empty, {});
  writeRecords(one, {makeRecord(tagFromMicros(86400000000ull * 366 + 1), 3, 1, 0, 0xFFFFFF)});
  const ToolRun none = runQeltool("stats --json " + shellQuoted(empty));
  EXPECT_EQ(none.exitCode, 0);
  for (const char* part :
       {"\"records\": 0,", "\"first_time_tag\": null, \"last_time_tag\": null", "\"largest_gap_us\": null"}) {
    EXPECT_NE(none.out.find(part), std::string::npos) << part << "\n" << none.out;
  }
  const std::string single = runQeltool("stats " + shellQuoted(one)).out;
  EXPECT_NE(single.find("first time tag      366:00:00:00.0000010\nlast time tag       366:00:00:00.0000010\n"
                        "largest gap (us)    none\n"),
            std::string::npos)
      << single;
}

// On generated traffic (more than one read block of records) the figures agree with count and
// with the report's TIME and GAP columns.
TEST(StatsTool, AgreesWithCountAndReportOnGeneratedTraffic) {
  TempFolder folder;
  const std::string file = shellQuoted(folder.file("gen.qel"));
  ASSERT_EQ(runQeltool("generate " + file + " --records 100000 --seed 7 --start '2024-02-29 23:59:59'").exitCode, 0);
  const std::string stats = runQeltool("stats --json " + file).out;
  EXPECT_EQ(jsonNumber(stats, "records"), 100000);
  EXPECT_EQ(runQeltool("count " + file).out, "100000\n");
  EXPECT_EQ(jsonNumber(stats, "backward_steps"), 0);

  const std::vector<std::string> report = splitLines(runQeltool("report " + file).out);
  ASSERT_EQ(report.size(), 3u + 100000u + 1u);
  auto column = [](const std::string& line, int index) {
    size_t start = 0;
    for (int i = 0; i < index; ++i) start = line.find('\t', start) + 1;
    return line.substr(start, line.find('\t', start) - start);
  };
  EXPECT_NE(stats.find("\"first_time_tag\": \"" + column(report[3], 1) + "\""), std::string::npos);
  EXPECT_NE(stats.find("\"last_time_tag\": \"" + column(report[100002], 1) + "\""), std::string::npos);
  double largest = -1.0;
  long long largestLine = 0;
  for (size_t i = 3; i < 100003; ++i) {
    const std::string gap = column(report[i], 2);
    if (gap.empty() || gap[0] == ' ' || gap[0] == '>' || std::atof(gap.c_str()) <= largest) continue;
    largest = std::atof(gap.c_str());
    largestLine = static_cast<long long>(i - 2);
  }
  char expected[64];
  std::snprintf(expected, sizeof expected, "\"largest_gap_us\": %.1f, \"largest_gap_line\": %lld", largest,
                largestLine);
  EXPECT_NE(stats.find(expected), std::string::npos) << expected << "\n" << stats;
}
