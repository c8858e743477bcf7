// Both forms of the scan kernels (portable and SSE2) run the same cases and must agree with each
// other and with a record-by-record check; so must the whole-file searches built on them. The file
// is more than one read block, with seconds changing, odd, equal and falling time tags, every bit
// no field uses set in some records, and a trailing fragment.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "search/pattern_search.h"
#include "search/scan_kernels.h"
#include "search/time_search.h"
#include "tests/support/record_oracles.h"
#include "tests/support/test_records.h"

TEST(ScanKernels, PortableAndSimdAgreeWithRecordByRecordChecks) {
  TempFolder folder;
  const std::string path = folder.file("random.qel");
  unsigned seed = 2024;
  auto next = [&seed](unsigned range) { return ((seed = seed * 1664525u + 1013904223u) >> 8) % range; };
  std::vector<BusRecord> records;
  std::vector<double> t;  // microseconds
  uint64_t half = halfMicrosAt(123, 0, 59, 59, 999);  // near an hour's end
  for (int i = 0; i < 70000; ++i) {
    const unsigned step = next(1000);
    half = step < 2    ? half - next(4000000)  // back across seconds
           : step < 30 ? half - next(200)
                       : half + (step < 900 ? 40 + next(60) : next(3000000));
    records.push_back(testRecord({half, next(1u << 24) & 0x00F0F00Fu, next(4), next(2), next(2) ? 0u : next(16),
                                  next(7) == 0}));
    t.push_back(0.5 * static_cast<double>(half));
  }
  writeDataFile(path, records, 9);
  const Bytes bytes = dataFileBytes(records);
  const size_t piece = 4099;  // the kernels over the records in memory, in pieces of an odd size

  for (int k = 0; k < 24; ++k) {
    const uint32_t dontCare = k % 4 == 0 ? 0x00FFFFFFu : 0x00FFFFF0u;
    const bool wide = k % 3 == 0;
    SearchSettings s = {0, 5, k & ~dontCare, dontCare, k % 3, k / 3 % 3, k % 5, wide ? -10.0 : 2.5 * k,
                        wide ? 0.0 : 3.5 * k + 10, static_cast<uint8_t>(k % 2), static_cast<uint8_t>(k / 2 % 2),
                        static_cast<uint8_t>(k / 4 % 2)};
    std::vector<uint64_t> expected;
    for (size_t i = 0; i < records.size(); ++i) {
      const bool hasNext = i + 1 < records.size();
      if (recordMatches(s, records[i], t[i], i > 0, i > 0 ? t[i - 1] : 0.0, hasNext, hasNext ? t[i + 1] : 0.0)) {
        expected.push_back(i + 1);
      }
    }
    const std::string what = "settings " + std::to_string(k);
    for (const bool portable : {true, false}) {
      MatchPlan plan = makeMatchPlan(s);
      plan.portableOnly = portable;
      MatchScanState counting, visiting;
      uint64_t counted = 0;
      std::vector<uint64_t> visited;
      for (size_t at = 0; at < records.size(); at += piece) {
        const size_t n = std::min(piece, records.size() - at);
        counted += countBlockMatches(plan, counting, &bytes[at * kBusRecordBytes], n);
        visitBlockMatches(plan, visiting, &bytes[at * kBusRecordBytes], n,
                          [&](uint64_t line) { return visited.push_back(line), true; });
      }
      EXPECT_EQ(counted, expected.size()) << what << (portable ? ", portable" : ", SIMD");
      EXPECT_EQ(visited, expected) << what << (portable ? ", portable" : ", SIMD");
    }
    std::vector<uint64_t> lines;
    EXPECT_EQ(forEachMatch(path, s, [&](uint64_t line) { return lines.push_back(line), true; }), StatusCode::Success);
    EXPECT_EQ(lines, expected) << what;
    s.searchMode = 1;
    EXPECT_EQ(searchPattern(path, s), StatusCode::Success);
    EXPECT_EQ(s.searchResult, static_cast<double>(expected.size())) << what;
    s.searchMode = 0;
    s.occurrence = static_cast<double>(expected.size());
    EXPECT_EQ(searchPattern(path, s), StatusCode::Success);
    EXPECT_EQ(s.searchResult, expected.empty() ? 0.0 : static_cast<double>(expected.back())) << what;
  }

  std::vector<double> targets = {0, 1e18, t.back() + 0.5};
  for (int k = 0; k < 20; ++k) {
    const double at = t[next(static_cast<unsigned>(t.size()))];
    targets.insert(targets.end(), {at, at + 0.5, at - 0.25});
  }
  for (const double target : targets) {
    const uint64_t expected = std::find_if(t.begin(), t.end(), [&](double x) { return x >= target; }) - t.begin() + 1;
    uint64_t line = 0;
    EXPECT_EQ(findTimeTag(path, target, line), StatusCode::Success);
    EXPECT_EQ(line, expected) << "target " << target;
    for (const bool portable : {true, false}) {
      uint64_t counter = 1;
      HalfMicrosClock clock;
      const uint64_t wanted = target <= 0 ? 0 : static_cast<uint64_t>(std::ceil(2 * target));
      for (size_t at = 0; at < records.size(); at += piece) {
        const size_t n = std::min(piece, records.size() - at);
        const size_t before = findBlockTimeAtOrAfter(clock, wanted, &bytes[at * kBusRecordBytes], n, portable);
        counter += before;
        if (before < n) break;
      }
      EXPECT_EQ(counter, expected) << "target " << target << (portable ? ", portable" : ", SIMD");
    }
  }
  // A file that cannot be opened: its status, and no result left from before.
  SearchSettings s;
  s.searchResult = 17;
  EXPECT_EQ(searchPattern(folder.file("missing.qel"), s), StatusCode::FileOpenError);
  EXPECT_EQ(s.searchResult, 0.0);
  uint64_t line = 7;
  EXPECT_EQ(findTimeTag(folder.file("missing.qel"), 0, line), StatusCode::FileOpenError);
}
