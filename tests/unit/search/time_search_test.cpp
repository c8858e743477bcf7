#include "search/time_search.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/unit/search/crafted_records.h"

TEST(TimeTagFields, LengthsDigitsRangesAndFractionDigits) {
  struct Case {
    const char *day, *hours, *minutes, *seconds, *fraction;
    StatusCode status;
    double target;
  };
  const StatusCode ok = StatusCode::Success, bad = StatusCode::SyntaxError;
  // Past 330 digits a digit's weight is below the smallest double; the characters still count.
  const std::string longZeros = "1" + std::string(400, '0');
  const std::string longThenBad = longZeros + "x";
  const Case cases[] = {
      {"", "", "", "", longZeros.c_str(), ok, 100000},
      {"", "", "", "", longThenBad.c_str(), bad, 0},
      {"", "", "", "", "", ok, 0},
      {"1", "2", "3", "4", "5", ok, 86400e6 + 2 * 3600e6 + 3 * 60e6 + 4e6 + 500000},
      {"366", "23", "59", "59", "999999", ok, 366 * 86400e6 + 23 * 3600e6 + 59 * 60e6 + 59e6 + 999999},
      {"007", "09", "05", "", "", ok, 7 * 86400e6 + 9 * 3600e6 + 5 * 60e6},
      {"", "", "", "", "000001", ok, 1},
      {"", "", "", "", "0000005", ok, 0.5},
      {"", "", "", "", "123456", ok, 123456},
      {"", "", "", "", "9999990000000000000000000000000000000000000000000000000000", ok, 999999},
      {"", "", "", "", "9999991", bad, 0},
      {"367", "", "", "", "", bad, 0},
      {"", "24", "", "", "", bad, 0},
      {"", "", "60", "", "", bad, 0},
      {"", "", "", "60", "", bad, 0},
      {"1000", "", "", "", "", bad, 0},
      {"0001", "", "", "", "", bad, 0},
      {"", "123", "", "", "", bad, 0},
      {"", "", "000", "", "", bad, 0},
      {"1a", "", "", "", "", bad, 0},
      {"", "-1", "", "", "", bad, 0},
      {"", "", "", " 5", "", bad, 0},
      {"", "", "", "", "1.5", bad, 0},
      {"", "", "", "", "5 ", bad, 0},
      {"", "", "", "", "0000000001x", bad, 0},
  };
  for (const Case& c : cases) {
    double target = -1;
    EXPECT_EQ(parseTimeTagFields(c.day, c.hours, c.minutes, c.seconds, c.fraction, target), c.status)
        << c.day << "|" << c.hours << "|" << c.minutes << "|" << c.seconds << "|" << c.fraction;
    EXPECT_EQ(target, c.target) << c.day << "|" << c.hours << "|" << c.minutes << "|" << c.seconds << "|" << c.fraction;
  }
}

TEST(FindTimeTag, FirstRecordInFileOrderAtOrAfterTheTarget) {
  const std::string ordered = tempDataPath("ttag_ordered.qel");
  writeCraftedFile(ordered, {{halfOf(100)}, {halfOf(200)}, {halfOf(300)}});
  const std::string odd = tempDataPath("ttag_odd.qel");
  writeCraftedFile(odd, {{halfOf(200)}, {halfOf(200.5)}, {halfOf(86400e6 + 3.5)}});
  const std::string unordered = tempDataPath("ttag_unordered.qel");
  writeCraftedFile(unordered, {{halfOf(100)}, {halfOf(500)}, {halfOf(260)}, {halfOf(90)}});
  const std::string fragment = tempDataPath("ttag_fragment.qel");
  writeCraftedFile(fragment, {{halfOf(100)}, {halfOf(200)}}, 15);
  const std::string empty = tempDataPath("ttag_empty.qel");
  writeCraftedFile(empty, {});
  const std::string dayStart = tempDataPath("ttag_zero.qel");
  writeCraftedFile(dayStart, {{0}, {1}});
  struct Case {
    const std::string* path;
    double target;
    uint64_t line;
  };
  const Case cases[] = {
      {&ordered, 200, 2},  {&ordered, 150, 2},       {&ordered, 100, 1},       {&ordered, 0, 1},
      {&ordered, -5, 1},   {&ordered, 299.9, 3},     {&ordered, 300, 3},       {&ordered, 300.1, 4},
      {&ordered, 301, 4},  {&odd, 200.1, 2},         {&odd, 200.5, 2},         {&odd, 200.6, 3},
      {&odd, 201, 3},      {&odd, 86400e6 + 3.5, 3}, {&odd, 86400e6 + 3.6, 4}, {&unordered, 250, 2},
      {&unordered, 95, 1}, {&unordered, 501, 5},     {&fragment, 150, 2},      {&fragment, 500, 3},
      {&empty, 0, 1},      {&empty, 1e12, 1},        {&dayStart, 0, 1},        {&dayStart, -0.0, 1},
      {&dayStart, 0.1, 2}, {&dayStart, 0.5, 2},      {&dayStart, 0.6, 3},
  };
  for (const Case& c : cases) {
    uint64_t line = 99;
    EXPECT_EQ(findTimeTag(*c.path, c.target, line), StatusCode::Success);
    EXPECT_EQ(line, c.line) << *c.path << " target " << c.target;
  }
  for (const std::string* p : {&ordered, &odd, &unordered, &fragment, &empty, &dayStart}) std::remove(p->c_str());
}

TEST(FindTimeTag, PastTheEndOfAHundredRecordsAndMissingFile) {
  const std::string path = tempDataPath("ttag_hundred.qel");
  std::vector<CraftedRecord> records;
  for (int i = 0; i < 100; ++i) records.push_back({halfOf(1000.0 + 20.0 * i)});
  writeCraftedFile(path, records);
  uint64_t line = 0;
  EXPECT_EQ(findTimeTag(path, 1e15, line), StatusCode::Success);
  EXPECT_EQ(line, 101u);
  EXPECT_EQ(findTimeTag(path, 1000 + 20.0 * 57, line), StatusCode::Success);
  EXPECT_EQ(line, 58u);
  std::remove(path.c_str());

  line = 7;
  EXPECT_EQ(findTimeTag(tempDataPath("no/such.qel"), 0, line), StatusCode::FileOpenError);
  EXPECT_EQ(line, 0u);
}

// The block-wise scan against a record-by-record comparison of timeTagMicros, on a file that spans
// more than one read block, with seconds changing, odd half microseconds and falling time tags.
TEST(FindTimeTag, ScanAgreesWithRecordByRecordComparison) {
  const std::string path = tempDataPath("ttag_random.qel");
  unsigned seed = 99;
  auto next = [&seed](unsigned range) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % range;
  };
  std::vector<BusRecord> records;
  uint64_t half = 2000000ull * 86400 * 45;
  for (int i = 0; i < 70000; ++i) {
    const unsigned step = next(1000);
    if (step < 2) {
      half -= next(4000000);  // back by up to two seconds
    } else if (step < 950) {
      half += 40 + next(30);
    } else {
      half += next(3000000);
    }
    records.push_back(craftRecord({half, 0, 0, 0, 0, next(50) == 0}));
  }
  writeDataFile(path, records, 3);

  std::vector<double> targets = {0, 1e18, timeTagMicros(timeTagOf(records.back())) + 0.5};
  for (int k = 0; k < 40; ++k) {
    const double t = timeTagMicros(timeTagOf(records[next(static_cast<unsigned>(records.size()))]));
    targets.push_back(t);
    targets.push_back(t + 0.5);
    targets.push_back(t - 0.25);
  }
  for (double target : targets) {
    uint64_t expected = 1;
    while (expected <= records.size() && timeTagMicros(timeTagOf(records[expected - 1])) < target) ++expected;
    uint64_t line = 0;
    EXPECT_EQ(findTimeTag(path, target, line), StatusCode::Success);
    EXPECT_EQ(line, expected) << "target " << target;
  }
  std::remove(path.c_str());
}
