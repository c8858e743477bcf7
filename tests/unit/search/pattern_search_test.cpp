// The pattern search on small files whose matches are known for every criterion.
#include "search/pattern_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_records.h"

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

// Records at these times in microseconds, J1 data words 0.
std::vector<BusRecord> at(const std::vector<double>& micros) {
  std::vector<BusRecord> records;
  for (const double m : micros) records.push_back(testRecord({static_cast<uint64_t>(2 * m)}));
  return records;
}

}  // namespace

TEST(PatternSearch, WordSyncErrorBusAndTheGapToTheFileNeighbour) {
  TempFolder folder;
  const std::string path = folder.file("criteria.qel");
  // Every gap is 22 us (50 us apart less 28).        time word      channel sync errors ignored bits
  writeDataFile(path, testRecords({{100, 0x000001, 0, 1, 0x0},
                                   {200, 0x800000, 2, 0, 0x9, true},
                                   {300, 0x800001, 3, 1, 0x2},
                                   {400, 0x000000, 1, 0, 0x0, true},
                                   {500, 0x7FFFFE, 0, 1, 0x8}}));
  const uint32_t all = 0xFFFFFF;
  const int32_t any = SyncAny, dc = ErrorsDontCare;
  const struct {
    SearchSettings s;  // irigInput, maxFileSizeGB, oneMask, dontCareMask, sync, errors, bus, gapMin, gapMax,
                       // gapMinEnabled, gapMaxEnabled, gapBefore
    std::vector<uint64_t> lines;
  } cases[] = {
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
      // The gap is to the record before or after in the file, matching or not.
      {{0, 5, 1, all & ~1u, any, dc, BusAny, 20, 30, 1, 1, 1}, {3}},
      {{0, 5, 1, all & ~1u, any, dc, BusAny, 20, 30, 1, 1, 0}, {1, 3}},
      {{0, 5, 0, all & ~1u, any, dc, BusAny, -100, 0, 1, 0, 0}, {2, 4}},  // the last record has no next one
  };
  for (const auto& c : cases) expectLines(path, c.s, c.lines, "case " + std::to_string(&c - cases));
}

// The gap is the tag difference less 28 us, both bounds included, to the record before or after; a
// fragment of up to 15 bytes is no record, neither to match nor as the next record.
TEST(PatternSearch, GapWindowOnBothSidesAndFileEnds) {
  TempFolder folder;
  const std::vector<double> even = {1000, 1050, 1100}, near = {0, 28, 57, 84.5, 135}, half = {1000, 1050.5};
  const struct {
    std::vector<double> micros;
    unsigned fragment;
    uint8_t before, minOn;
    double min;
    uint8_t maxOn;
    double max;
    std::vector<uint64_t> lines;
  } cases[] = {
      {even, 0, 1, 1, 22, 0, 0, {2, 3}}, {even, 0, 1, 1, 23, 0, 0, {}},  {even, 0, 1, 0, 0, 1, 22, {2, 3}},
      {even, 0, 1, 0, 0, 1, 21, {}},     {even, 0, 0, 1, 22, 0, 0, {1, 2}}, {even, 0, 0, 0, 0, 1, 21, {}},
      {near, 0, 1, 0, 0, 1, 0, {2, 4}},  {near, 0, 0, 0, 0, 1, 0, {1, 3}},  {near, 0, 1, 1, 22, 1, 23, {5}},
      {half, 0, 1, 1, 22.5, 0, 0, {2}},  {half, 0, 1, 1, 22.6, 0, 0, {}},   {half, 0, 1, 0, 0, 1, 22.4, {}},
      {{}, 0, 1, 0, 0, 0, 0, {}},        {{100, 150}, 15, 0, 1, -1e9, 0, 0, {1}},
  };
  for (const auto& c : cases) {
    const std::string path = folder.file("gap.qel");
    writeDataFile(path, at(c.micros), c.fragment);
    const SearchSettings s = {0,     5,     0,       0xFFFFFF, SyncAny, ErrorsDontCare, BusAny,
                              c.min, c.max, c.minOn, c.maxOn,  c.before};
    expectLines(path, s, c.lines, "case " + std::to_string(&c - cases));
  }
}

TEST(PatternSearch, OccurrenceNeverReachedOtherModesStopAndMissingFile) {
  TempFolder folder;
  const std::string path = folder.file("stop.qel");
  std::vector<TestRecord> records;
  for (unsigned i = 0; i < 10; ++i) records.push_back({200u * i, i % 2});
  writeDataFile(path, testRecords(records));
  SearchSettings s = {0, 5, 1, 0xFFFFFE};
  for (const double occurrence : {0.0, 2.5, -1.0}) {
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
  s.searchResult = 17;
  EXPECT_EQ(searchPattern(folder.file("no/such.qel"), s), StatusCode::FileOpenError);
  EXPECT_EQ(s.searchResult, 0.0);
}
