// The pattern search on a small file whose matches are known for every criterion.
#include "search/pattern_search.h"
#include "search/time_search.h"

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
  SearchSettings s;
  s.searchResult = 17;
  EXPECT_EQ(searchPattern(folder.file("missing.qel"), s), StatusCode::FileOpenError);
  EXPECT_EQ(s.searchResult, 0.0);
  uint64_t line = 7;
  EXPECT_EQ(findTimeTag(folder.file("missing.qel"), 0, line), StatusCode::FileOpenError);
}
