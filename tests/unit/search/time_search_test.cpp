#include "search/time_search.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/test_records.h"

TEST(TimeTagFields, LengthsDigitsRangesAndFractionDigits) {
  struct Case {
    const char *day, *hours, *minutes, *seconds, *fraction;
    double target;  // -1: status 9
  };
  // Past 330 digits a digit's weight is below the smallest double; the characters still count.
  const std::string longZeros = "1" + std::string(400, '0'), longThenBad = longZeros + "x";
  const Case cases[] = {
      {"", "", "", "", "", 0},
      {"1", "2", "3", "4", "5", 86400e6 + 2 * 3600e6 + 3 * 60e6 + 4e6 + 500000},
      {"366", "23", "59", "59", "999999", 366 * 86400e6 + 23 * 3600e6 + 59 * 60e6 + 59e6 + 999999},
      {"", "", "", "", "000001", 1},
      {"", "", "", "", "0000005", 0.5},
      {"", "", "", "", longZeros.c_str(), 100000},
      {"", "", "", "", longThenBad.c_str(), -1},
      {"", "", "", "", "9999991", -1},
      {"367", "", "", "", "", -1},
      {"", "24", "", "", "", -1},
      {"", "", "60", "", "", -1},
      {"0001", "", "", "", "", -1},
      {"", "", "", "005", "", -1},
      {"1a", "", "", "", "", -1},
      {"", "", "", "", "0000000001x", -1},
  };
  for (const Case& c : cases) {
    double target = -1;
    const StatusCode status = parseTimeTagFields(c.day, c.hours, c.minutes, c.seconds, c.fraction, target);
    EXPECT_EQ(status, c.target < 0 ? StatusCode::SyntaxError : StatusCode::Success) << "case " << &c - cases;
    EXPECT_EQ(target, c.target < 0 ? 0 : c.target) << "case " << &c - cases;
  }
}

TEST(FindTimeTag, FirstRecordInFileOrderAtOrAfterTheTarget) {
  std::vector<double> hundred;
  for (int i = 0; i < 100; ++i) hundred.push_back(1000.0 + 20.0 * i);
  struct Case {
    std::vector<double> micros;
    unsigned fragment;
    std::vector<std::pair<double, uint64_t>> targetLines;
  };
  const Case cases[] = {
      {{100, 200, 300}, 0, {{200, 2}, {150, 2}, {-5, 1}, {299.9, 3}, {300, 3}, {300.1, 4}}},
      {{200, 200.5, 86400e6 + 3.5}, 0, {{200.1, 2}, {200.5, 2}, {200.6, 3}, {86400e6 + 3.5, 3}, {86400e6 + 3.6, 4}}},
      {{100, 500, 260, 90}, 0, {{250, 2}, {95, 1}, {501, 5}}},
      {{100, 200}, 15, {{150, 2}, {500, 3}}},
      {{}, 0, {{0, 1}, {1e12, 1}}},
      {{0, 0.5}, 0, {{0, 1}, {-0.0, 1}, {0.1, 2}, {0.5, 2}, {0.6, 3}}},
      {hundred, 0, {{1e15, 101}, {1000 + 20.0 * 57, 58}}},
  };
  TempFolder folder;
  const std::string path = folder.file("ttag.qel");
  for (const Case& c : cases) {
    std::vector<BusRecord> records;
    for (const double m : c.micros) records.push_back(testRecord({static_cast<uint64_t>(2 * m)}));
    writeDataFile(path, records, c.fragment);
    for (const auto& targetLine : c.targetLines) {
      uint64_t line = 99;
      EXPECT_EQ(findTimeTag(path, targetLine.first, line), StatusCode::Success);
      EXPECT_EQ(line, targetLine.second) << "file " << &c - cases << " target " << targetLine.first;
    }
  }
  uint64_t line = 7;
  EXPECT_EQ(findTimeTag(folder.file("no/such.qel"), 0, line), StatusCode::FileOpenError);
  EXPECT_EQ(line, 0u);
}
