#include "search/pattern_search.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "files/bus_record.h"
#include "search/criteria.h"
#include "tests/unit/search/crafted_records.h"

namespace {

SearchSettings defaults() {
  SearchSettings s;
  setSearchDefaults(s);
  return s;
}

std::vector<uint64_t> matchingLines(const std::string& path, const SearchSettings& s) {
  std::vector<uint64_t> lines;
  EXPECT_EQ(forEachMatch(path, s,
                         [&](uint64_t line) {
                           lines.push_back(line);
                           return true;
                         }),
            StatusCode::Success);
  return lines;
}

double countOf(const std::string& path, SearchSettings s) {
  s.searchMode = 1;
  EXPECT_EQ(searchPattern(path, s), StatusCode::Success);
  return s.searchResult;
}

double lineOf(const std::string& path, SearchSettings s, double occurrence) {
  s.searchMode = 0;
  s.occurrence = occurrence;
  EXPECT_EQ(searchPattern(path, s), StatusCode::Success);
  return s.searchResult;
}

// Sets pattern bit `bit` to `state` with the dialog's clicks.
void setBit(SearchSettings& s, int bit, PatternBitState state) {
  while (patternBitState(s, bit) != state) clickPatternBit(s, bit);
}

// The lines found, the count and the line of every occurrence agree.
void expectLines(const std::string& path, const SearchSettings& s, const std::vector<uint64_t>& expected,
                 const std::string& what) {
  EXPECT_EQ(matchingLines(path, s), expected) << what;
  EXPECT_EQ(countOf(path, s), static_cast<double>(expected.size())) << what;
  for (size_t n = 0; n < expected.size(); ++n) {
    EXPECT_EQ(lineOf(path, s, static_cast<double>(n + 1)), static_cast<double>(expected[n])) << what << " N=" << n + 1;
  }
  EXPECT_EQ(lineOf(path, s, static_cast<double>(expected.size() + 1)), 0.0) << what << ": N beyond the matches";
}

}  // namespace

TEST(PatternSearch, WordSyncErrorAndBusCriteria) {
  const std::string path = tempDataPath("criteria.qel");
  //                 time     word      errors sync channel ignored bits
  writeCraftedFile(path, {{100, 0x000001, 0x0, 1, 0, false},
                          {200, 0x800000, 0x9, 0, 2, true},
                          {300, 0x800001, 0x2, 1, 3, false},
                          {400, 0x000000, 0x0, 0, 1, true},
                          {500, 0x7FFFFE, 0x8, 1, 0, false}});
  struct Case {
    const char* what;
    std::function<void(SearchSettings&)> set;
    std::vector<uint64_t> lines;
  };
  const Case cases[] = {
      {"defaults match every record", [](SearchSettings&) {}, {1, 2, 3, 4, 5}},
      {"bit 0 ONE", [](SearchSettings& s) { setBit(s, 0, PatternBitState::One); }, {1, 3}},
      {"bit 0 ZERO", [](SearchSettings& s) { setBit(s, 0, PatternBitState::Zero); }, {2, 4, 5}},
      {"bit 23 ONE", [](SearchSettings& s) { setBit(s, 23, PatternBitState::One); }, {2, 3}},
      {"bit 23 ZERO, bit 1 ONE",
       [](SearchSettings& s) {
         setBit(s, 23, PatternBitState::Zero);
         setBit(s, 1, PatternBitState::One);
       },
       {5}},
      {"every bit ZERO",
       [](SearchSettings& s) {
         for (int b = 0; b < 24; ++b) setBit(s, b, PatternBitState::Zero);
       },
       {4}},
      {"sync CMD", [](SearchSettings& s) { s.syncChoice = SyncCmd; }, {1, 3, 5}},
      {"sync DATA", [](SearchSettings& s) { s.syncChoice = SyncData; }, {2, 4}},
      {"no errors", [](SearchSettings& s) { s.errorChoice = NoErrors; }, {1, 4}},
      {"with errors", [](SearchSettings& s) { s.errorChoice = WithErrors; }, {2, 3, 5}},
      {"J1", [](SearchSettings& s) { s.busChoice = BusJ1; }, {1, 5}},
      {"J2", [](SearchSettings& s) { s.busChoice = BusJ2; }, {4}},
      {"J3", [](SearchSettings& s) { s.busChoice = BusJ3; }, {2}},
      {"J4", [](SearchSettings& s) { s.busChoice = BusJ4; }, {3}},
      {"CMD with errors on J1",
       [](SearchSettings& s) {
         s.syncChoice = SyncCmd;
         s.errorChoice = WithErrors;
         s.busChoice = BusJ1;
       },
       {5}},
      {"bus choice beyond J4 matches nothing", [](SearchSettings& s) { s.busChoice = 5; }, {}},
      {"a ONE above bit 23 matches nothing", [](SearchSettings& s) { s.oneMask = 0x01000000; }, {}},
  };
  for (const Case& c : cases) {
    SearchSettings s = defaults();
    c.set(s);
    expectLines(path, s, c.lines, c.what);
  }
  std::remove(path.c_str());
}

TEST(PatternSearch, GapWindowOnBothSides) {
  const std::string evenPath = tempDataPath("gap50.qel");
  // Tags 50 us apart: every gap is 22.
  writeCraftedFile(evenPath, {{halfOf(1000)}, {halfOf(1050)}, {halfOf(1100)}});
  const std::string nearPath = tempDataPath("gap28.qel");
  // Gaps 0, 1, -0.5 and 22.5 (odd half microseconds on both sides).
  writeCraftedFile(nearPath, {{halfOf(0)}, {halfOf(28)}, {halfOf(57)}, {halfOf(84.5)}, {halfOf(135)}});
  const std::string halfPath = tempDataPath("gap_half.qel");
  // Gap 22.5 from an even to an odd tag.
  writeCraftedFile(halfPath, {{halfOf(1000)}, {halfOf(1050.5)}});

  struct Case {
    const std::string* path;
    uint8_t before, minOn;
    double min;
    uint8_t maxOn;
    double max;
    std::vector<uint64_t> lines;
  };
  const double none = 0;
  const Case cases[] = {
      {&evenPath, 1, 1, 22, 0, none, {2, 3}},
      {&evenPath, 1, 1, 23, 0, none, {}},
      {&evenPath, 1, 0, none, 1, 22, {2, 3}},
      {&evenPath, 1, 0, none, 1, 21, {}},
      {&evenPath, 0, 1, 22, 0, none, {1, 2}},
      {&evenPath, 0, 1, 23, 0, none, {}},
      {&evenPath, 0, 0, none, 1, 22, {1, 2}},
      {&evenPath, 0, 0, none, 1, 21, {}},
      {&evenPath, 1, 1, 22, 1, 22, {2, 3}},
      {&evenPath, 1, 1, 0, 1, 0, {}},
      // An enabled upper bound of 0: tags 28 us apart or closer.
      {&nearPath, 1, 0, none, 1, 0, {2, 4}},
      {&nearPath, 0, 0, none, 1, 0, {1, 3}},
      {&nearPath, 1, 1, 1, 0, none, {3, 5}},
      {&nearPath, 1, 1, 22, 1, 22, {}},
      {&nearPath, 1, 1, 22, 1, 23, {5}},
      {&halfPath, 1, 1, 23, 0, none, {}},
      {&halfPath, 1, 1, 22.5, 0, none, {2}},
      {&halfPath, 1, 1, 22.6, 0, none, {}},
      {&halfPath, 1, 0, none, 1, 22.5, {2}},
      {&halfPath, 1, 0, none, 1, 22.4, {}},
      {&halfPath, 0, 1, 22.5, 1, 22.5, {1}},
      {&halfPath, 1, 1, -1e300, 1, 1e300, {2}},
  };
  for (const Case& c : cases) {
    SearchSettings s = defaults();
    s.gapBefore = c.before;
    s.gapMinEnabled = c.minOn;
    s.gapMin = c.min;
    s.gapMaxEnabled = c.maxOn;
    s.gapMax = c.max;
    const std::string what = *c.path + (c.before ? " before" : " after") +
                             (c.minOn ? " min " + std::to_string(c.min) : "") +
                             (c.maxOn ? " max " + std::to_string(c.max) : "");
    expectLines(*c.path, s, c.lines, what);
  }
  for (const std::string* p : {&evenPath, &nearPath, &halfPath}) std::remove(p->c_str());
}

TEST(PatternSearch, GapIsMeasuredFromTheNeighbourInFileOrderMatchingOrNot) {
  const std::string path = tempDataPath("neighbour.qel");
  // Records 1, 3 and 4 carry bit 0; record 2, which does not, lies 50 us from records 1 and 3.
  writeCraftedFile(path, {{halfOf(0), 1}, {halfOf(50), 0}, {halfOf(100), 1}, {halfOf(60), 1}});
  SearchSettings s = defaults();
  setBit(s, 0, PatternBitState::One);
  s.gapMinEnabled = 1;
  s.gapMin = 20;
  s.gapMaxEnabled = 1;
  s.gapMax = 30;
  expectLines(path, s, {3}, "before: record 3 is 22 after record 2 (72 after record 1)");
  s.gapBefore = 0;
  expectLines(path, s, {1}, "after: record 1 is 22 before record 2 (72 before record 3)");
  s.gapMaxEnabled = 0;
  s.gapMin = -100;
  expectLines(path, s, {1, 3}, "after: the last record has no next record");
  std::remove(path.c_str());
}

TEST(PatternSearch, EmptyMissingAndFragmentedFiles) {
  const std::string empty = tempDataPath("empty.qel");
  writeCraftedFile(empty, {});
  SearchSettings s = defaults();
  expectLines(empty, s, {}, "empty file");

  // A fragment of up to 15 bytes is not a record, neither to match nor as the next record.
  const std::string fragmented = tempDataPath("fragment.qel");
  for (unsigned fragment : {1u, 8u, 15u}) {
    writeCraftedFile(fragmented, {{halfOf(100)}, {halfOf(150)}}, fragment);
    SearchSettings all = defaults();
    expectLines(fragmented, all, {1, 2}, "fragment of " + std::to_string(fragment));
    all.gapBefore = 0;
    all.gapMinEnabled = 1;
    all.gapMin = -1e9;
    expectLines(fragmented, all, {1}, "after, fragment of " + std::to_string(fragment));
  }
  std::remove(empty.c_str());
  std::remove(fragmented.c_str());

  SearchSettings missing = defaults();
  missing.searchResult = 17;
  EXPECT_EQ(searchPattern(tempDataPath("no/such.qel"), missing), StatusCode::FileOpenError);
  EXPECT_EQ(missing.searchResult, 0.0);
  EXPECT_EQ(forEachMatch(tempDataPath("no/such.qel"), missing, [](uint64_t) { return true; }),
            StatusCode::FileOpenError);
}

TEST(PatternSearch, FindModeStopsAtTheOccurrenceAndCallbackCanStop) {
  const std::string path = tempDataPath("stop.qel");
  std::vector<CraftedRecord> records;
  for (unsigned i = 0; i < 10; ++i) records.push_back({halfOf(100.0 * i), i % 2});
  writeCraftedFile(path, records);
  SearchSettings s = defaults();
  setBit(s, 0, PatternBitState::One);
  for (double occurrence : {0.0, 2.5, -1.0}) {
    EXPECT_EQ(lineOf(path, s, occurrence), 0.0) << "occurrence " << occurrence << " is never reached";
  }
  s.searchMode = 2;
  s.searchResult = 5;
  EXPECT_EQ(searchPattern(path, s), StatusCode::Success);
  EXPECT_EQ(s.searchResult, 0.0) << "a mode other than 0 or 1 has no result";
  std::vector<uint64_t> seen;
  forEachMatch(path, s, [&](uint64_t line) {
    seen.push_back(line);
    return seen.size() < 3;
  });
  EXPECT_EQ(seen, (std::vector<uint64_t>{2, 4, 6}));
  std::remove(path.c_str());
}

// The block-wise scan against recordMatches applied record by record with the read-ahead, on a
// file that spans more than one read block, with odd, equal and falling time tags.
TEST(PatternSearch, ScanAgreesWithRecordByRecordMatching) {
  const std::string path = tempDataPath("random.qel");
  unsigned seed = 2024;
  auto next = [&seed](unsigned range) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % range;
  };
  std::vector<BusRecord> records;
  uint64_t half = 86400ull * 2000000ull * 123 + 3599ull * 2000000ull + 1999000ull;  // near an hour's end
  for (int i = 0; i < 70000; ++i) {
    const unsigned step = next(100);
    if (step < 3) {
      half -= next(200);  // out of order
    } else if (step < 90) {
      half += 40 + next(60);  // near 20 to 50 us apart
    } else {
      half += next(200000);
    }
    CraftedRecord c{half, next(1u << 24) & 0x00F0F00Fu, next(2) ? 0u : next(16), next(2), next(4), next(7) == 0};
    records.push_back(craftRecord(c));
    ASSERT_EQ(timeTagHalfMicrosExact(timeTagOf(records.back())), half) << "crafted record " << i;
  }
  writeDataFile(path, records, 9);

  std::vector<SearchSettings> settings;
  for (int k = 0; k < 24; ++k) {
    SearchSettings s = defaults();
    s.syncChoice = static_cast<int32_t>(k % 3);
    s.errorChoice = static_cast<int32_t>((k / 3) % 3);
    s.busChoice = static_cast<int32_t>(k % 5);
    s.dontCareMask = k % 4 == 0 ? 0x00FFFFFFu : 0x00FFFFF0u;
    s.oneMask = static_cast<uint32_t>(k) & ~s.dontCareMask;
    s.gapMinEnabled = k % 2;
    s.gapMaxEnabled = (k / 2) % 2;
    s.gapBefore = (k / 4) % 2;
    s.gapMin = k % 3 == 0 ? -10.0 : 2.5 * k;
    s.gapMax = k % 3 == 0 ? 0.0 : 3.5 * k + 10.0;
    settings.push_back(s);
  }
  for (size_t k = 0; k < settings.size(); ++k) {
    const SearchSettings& s = settings[k];
    std::vector<uint64_t> expected;
    for (size_t i = 0; i < records.size(); ++i) {
      const double tCur = timeTagMicros(timeTagOf(records[i]));
      const double tPrev = i > 0 ? timeTagMicros(timeTagOf(records[i - 1])) : 0.0;
      const double tNext = i + 1 < records.size() ? timeTagMicros(timeTagOf(records[i + 1])) : 0.0;
      if (recordMatches(s, records[i], tCur, i > 0, tPrev, i + 1 < records.size(), tNext)) expected.push_back(i + 1);
    }
    EXPECT_EQ(matchingLines(path, s), expected) << "settings " << k;
    EXPECT_EQ(countOf(path, s), static_cast<double>(expected.size())) << "settings " << k;
    if (!expected.empty()) {
      const size_t n = expected.size() - 1;
      EXPECT_EQ(lineOf(path, s, static_cast<double>(n + 1)), static_cast<double>(expected[n])) << "settings " << k;
    }
  }
  std::remove(path.c_str());
}
