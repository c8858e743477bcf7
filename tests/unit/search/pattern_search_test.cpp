#include "search/pattern_search.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "files/bus_record.h"
#include "tests/unit/search/crafted_records.h"

namespace {

// forEachMatch finds exactly these lines; the count and the line of each occurrence agree (only the
// last one for long lists), and the occurrence after the last gives 0.
void expectLines(const std::string& path, SearchSettings s, const std::vector<uint64_t>& expected,
                 const std::string& what) {
  std::vector<uint64_t> lines;
  EXPECT_EQ(forEachMatch(path, s, [&](uint64_t line) { return lines.push_back(line), true; }), StatusCode::Success);
  EXPECT_EQ(lines, expected) << what;
  s.searchMode = 1;
  EXPECT_EQ(searchPattern(path, s), StatusCode::Success);
  EXPECT_EQ(s.searchResult, static_cast<double>(expected.size())) << what;
  s.searchMode = 0;
  for (size_t n = expected.size() > 8 ? expected.size() : 1; n <= expected.size() + 1; ++n) {
    s.occurrence = static_cast<double>(n);
    EXPECT_EQ(searchPattern(path, s), StatusCode::Success);
    EXPECT_EQ(s.searchResult, n <= expected.size() ? static_cast<double>(expected[n - 1]) : 0.0) << what << " N=" << n;
  }
}

}  // namespace

TEST(PatternSearch, WordSyncErrorBusAndTheGapToTheFileNeighbour) {
  const std::string path = tempDataPath("criteria.qel");
  //                       time word      errors sync channel ignored bits
  writeCraftedFile(path, {{100, 0x000001, 0x0, 1, 0, false},
                          {200, 0x800000, 0x9, 0, 2, true},
                          {300, 0x800001, 0x2, 1, 3, false},
                          {400, 0x000000, 0x0, 0, 1, true},
                          {500, 0x7FFFFE, 0x8, 1, 0, false}});
  struct Case {
    SearchSettings s;  // irigInput, maxFileSizeGB, oneMask, dontCareMask, sync, errors, bus, gapMin, gapMax,
                       // gapMinEnabled, gapMaxEnabled, gapBefore
    std::vector<uint64_t> lines;
  };
  const uint32_t all = 0xFFFFFF;
  const int32_t any = SyncAny, dc = ErrorsDontCare;
  const Case cases[] = {
      {{0, 5, 0, all, any, dc, BusAny}, {1, 2, 3, 4, 5}},
      {{0, 5, 0x000001, all & ~0x000001u, any, dc, BusAny}, {1, 3}},
      {{0, 5, 0x800000, all & ~0x800000u, any, dc, BusAny}, {2, 3}},
      {{0, 5, 0x000002, all & ~0x800002u, any, dc, BusAny}, {5}},
      {{0, 5, 0, 0, any, dc, BusAny}, {4}},
      {{0, 5, 0x01000000, all, any, dc, BusAny}, {}},  // a ONE above bit 23 is never met
      {{0, 5, 0, all, SyncCmd, dc, BusAny}, {1, 3, 5}},
      {{0, 5, 0, all, SyncData, dc, BusAny}, {2, 4}},
      {{0, 5, 0, all, any, NoErrors, BusAny}, {1, 4}},
      {{0, 5, 0, all, any, WithErrors, BusAny}, {2, 3, 5}},
      {{0, 5, 0, all, any, dc, BusJ1}, {1, 5}},
      {{0, 5, 0, all, any, dc, BusJ4}, {3}},
      {{0, 5, 0, all, any, dc, 5}, {}},
      {{0, 5, 0, all, SyncCmd, WithErrors, BusJ1}, {5}},
      // The gap (22 everywhere) is to the record before or after in the file, matching or not.
      {{0, 5, 1, all & ~1u, any, dc, BusAny, 20, 30, 1, 1, 1}, {3}},
      {{0, 5, 1, all & ~1u, any, dc, BusAny, 20, 30, 1, 1, 0}, {1, 3}},
      {{0, 5, 0, all & ~1u, any, dc, BusAny, -100, 0, 1, 0, 0}, {2, 4}},  // the last record has no next one
  };
  for (const Case& c : cases) expectLines(path, c.s, c.lines, "case " + std::to_string(&c - cases));
  removeDataFile(path);
}

// The gap is the tag difference less 28 us, both bounds included, to the record before or after.
TEST(PatternSearch, GapWindowOnBothSidesAndFileEnds) {
  enum { even, near, half, empty, fragment };
  const std::string paths[] = {tempDataPath("gap50.qel"), tempDataPath("gap28.qel"), tempDataPath("gap_half.qel"),
                               tempDataPath("empty.qel"), tempDataPath("fragment.qel")};
  writeCraftedFile(paths[even], {{halfOf(1000)}, {halfOf(1050)}, {halfOf(1100)}});  // every gap 22
  // Gaps 0, 1, -0.5 and 22.5.
  writeCraftedFile(paths[near], {{halfOf(0)}, {halfOf(28)}, {halfOf(57)}, {halfOf(84.5)}, {halfOf(135)}});
  writeCraftedFile(paths[half], {{halfOf(1000)}, {halfOf(1050.5)}});  // 22.5
  writeCraftedFile(paths[empty], {});
  // A fragment of up to 15 bytes is no record, neither to match nor as the next record.
  writeCraftedFile(paths[fragment], {{halfOf(100)}, {halfOf(150)}}, 15);
  struct Case {
    int file;
    uint8_t before, minOn;
    double min;
    uint8_t maxOn;
    double max;
    std::vector<uint64_t> lines;
  };
  const Case cases[] = {
      {even, 1, 1, 22, 0, 0, {2, 3}},  {even, 1, 1, 23, 0, 0, {}},    {even, 1, 0, 0, 1, 22, {2, 3}},
      {even, 1, 0, 0, 1, 21, {}},      {even, 0, 1, 22, 0, 0, {1, 2}}, {even, 0, 1, 23, 0, 0, {}},
      {even, 0, 0, 0, 1, 22, {1, 2}},  {even, 0, 0, 0, 1, 21, {}},     {even, 1, 1, 0, 1, 0, {}},
      {near, 1, 0, 0, 1, 0, {2, 4}},   {near, 0, 0, 0, 1, 0, {1, 3}},  {near, 1, 1, 1, 0, 0, {3, 5}},
      {near, 1, 1, 22, 1, 22, {}},     {near, 1, 1, 22, 1, 23, {5}},   {half, 1, 1, 22.5, 0, 0, {2}},
      {half, 1, 1, 22.6, 0, 0, {}},    {half, 1, 0, 0, 1, 22.5, {2}},  {half, 1, 0, 0, 1, 22.4, {}},
      {half, 0, 1, 22.5, 1, 22.5, {1}}, {half, 1, 1, -1e300, 1, 1e300, {2}},
      {empty, 1, 0, 0, 0, 0, {}},      {fragment, 1, 0, 0, 0, 0, {1, 2}}, {fragment, 0, 1, -1e9, 0, 0, {1}},
  };
  for (const Case& c : cases) {
    const SearchSettings s = {0,     5,     0,       0xFFFFFF, SyncAny, ErrorsDontCare, BusAny,
                              c.min, c.max, c.minOn, c.maxOn,  c.before};
    expectLines(paths[c.file], s, c.lines, "case " + std::to_string(&c - cases));
  }
  for (const std::string& p : paths) removeDataFile(p);
}

TEST(PatternSearch, OccurrenceNeverReachedOtherModesStopAndMissingFile) {
  const std::string path = tempDataPath("stop.qel");
  std::vector<CraftedRecord> records;
  for (unsigned i = 0; i < 10; ++i) records.push_back({halfOf(100.0 * i), i % 2});
  writeCraftedFile(path, records);
  SearchSettings s = {0, 5, 1, 0xFFFFFE};
  for (double occurrence : {0.0, 2.5, -1.0}) {
    s.occurrence = occurrence;
    EXPECT_EQ(searchPattern(path, s), StatusCode::Success);
    EXPECT_EQ(s.searchResult, 0.0) << "occurrence " << occurrence;
  }
  s.searchMode = 2;
  s.searchResult = 5;
  EXPECT_EQ(searchPattern(path, s), StatusCode::Success);
  EXPECT_EQ(s.searchResult, 0.0) << "a mode other than 0 or 1 has no result";
  std::vector<uint64_t> seen;
  forEachMatch(path, s, [&](uint64_t line) { return seen.push_back(line), seen.size() < 3; });
  EXPECT_EQ(seen, (std::vector<uint64_t>{2, 4, 6}));
  removeDataFile(path);

  s.searchResult = 17;
  EXPECT_EQ(searchPattern(tempDataPath("no/such.qel"), s), StatusCode::FileOpenError);
  EXPECT_EQ(s.searchResult, 0.0);
  EXPECT_EQ(forEachMatch(tempDataPath("no/such.qel"), s, [](uint64_t) { return true; }), StatusCode::FileOpenError);
}
