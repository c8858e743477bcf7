// The block-wise scans of both searches, and both forms of their kernels (portable and SIMD),
// against record-by-record checks, on a file of more than one read block with seconds changing,
// odd, equal and falling time tags and a trailing fragment.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "search/pattern_search.h"
#include "search/scan_kernels.h"
#include "search/time_search.h"
#include "tests/support/record_oracles.h"
#include "tests/unit/search/crafted_records.h"

TEST(BlockScans, AgreeWithRecordByRecordChecks) {
  const std::string path = tempDataPath("random.qel");
  unsigned seed = 2024;
  auto next = [&seed](unsigned range) { return ((seed = seed * 1664525u + 1013904223u) >> 8) % range; };
  std::vector<BusRecord> records;
  std::vector<double> t;
  uint64_t half = 86400ull * 2000000ull * 123 + 3599ull * 2000000ull + 1999000ull;  // near an hour's end
  for (int i = 0; i < 70000; ++i) {
    const unsigned step = next(1000);
    half = step < 2    ? half - next(4000000)  // back across seconds
           : step < 30 ? half - next(200)
                       : half + (step < 900 ? 40 + next(60) : next(3000000));
    records.push_back(craftRecord({half, next(1u << 24) & 0x00F0F00Fu, next(2) ? 0u : next(16), next(2), next(4),
                                   next(7) == 0}));
    t.push_back(timeTagMicros(timeTagOf(records.back())));
    ASSERT_EQ(timeTagHalfMicrosExact(timeTagOf(records.back())), half) << "crafted record " << i;
  }
  writeDataFile(path, records, 9);
  std::vector<unsigned char> bytes(records.size() * kBusRecordBytes);
  for (size_t i = 0; i < records.size(); ++i) busRecordToBytes(records[i], &bytes[i * kBusRecordBytes]);
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
    for (const bool portable : {true, false}) {
      MatchPlan plan = makeMatchPlan(s);
      plan.portableOnly = portable;
      MatchScanState state;
      uint64_t counted = 0;
      for (size_t at = 0; at < records.size(); at += piece) {
        counted += countBlockMatches(plan, state, &bytes[at * kBusRecordBytes], std::min(piece, records.size() - at));
      }
      EXPECT_EQ(counted, expected.size()) << "settings " << k << (portable ? ", portable" : ", SIMD");
    }
    std::vector<uint64_t> lines;
    EXPECT_EQ(forEachMatch(path, s, [&](uint64_t line) { return lines.push_back(line), true; }), StatusCode::Success);
    EXPECT_EQ(lines, expected) << "settings " << k;
    s.searchMode = 1;
    EXPECT_EQ(searchPattern(path, s), StatusCode::Success);
    EXPECT_EQ(s.searchResult, static_cast<double>(expected.size())) << "settings " << k;
    s.searchMode = 0;
    s.occurrence = static_cast<double>(expected.size());
    EXPECT_EQ(searchPattern(path, s), StatusCode::Success);
    EXPECT_EQ(s.searchResult, expected.empty() ? 0.0 : static_cast<double>(expected.back())) << "settings " << k;
  }

  std::vector<double> targets = {0, 1e18, t.back() + 0.5};
  for (int k = 0; k < 20; ++k) {
    const double at = t[next(static_cast<unsigned>(t.size()))];
    targets.insert(targets.end(), {at, at + 0.5, at - 0.25});
  }
  for (double target : targets) {
    uint64_t expected = 1;
    while (expected <= t.size() && t[expected - 1] < target) ++expected;
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
  removeDataFile(path);
}

TEST(ScanProgress, TheSearchesHearTheBytesPassedUpToTheFileSize) {
  const std::string path = tempDataPath("progress.qel");
  writeDataFile(path, std::vector<BusRecord>(200000), 7);  // 3.2 MB and a fragment: several runs
  const uint64_t size = 200000u * 16 + 7;
  std::vector<std::pair<uint64_t, uint64_t>> heard;
  ScanOptions options;
  const ScanProgress progress = [&](uint64_t done, uint64_t total) { heard.emplace_back(done, total); };
  options.progress = &progress;
  options.pass.runBlocks = 2;  // several runs of the small file, whatever the read method's own size
  SearchSettings settings;
  settings.searchMode = 1;
  uint64_t line = 0;
  const std::function<StatusCode()> passes[] = {
      [&] { return searchPattern(path, settings, options); },
      [&] { return forEachMatch(path, settings, [](uint64_t) { return true; }, options); },
      [&] { return findTimeTag(path, 1e18, line, options); },
  };
  // A full read hears each run; with the index the count and the time search read nothing.
  for (const bool useIndex : {false, true}) {
    options.useIndex = useIndex;
    for (const auto& pass : passes) {
      heard.clear();
      ASSERT_EQ(pass(), StatusCode::Success);
      ASSERT_GE(heard.size(), useIndex ? 1u : 3u);
      for (size_t i = 1; i < heard.size(); ++i) EXPECT_GE(heard[i].first, heard[i - 1].first);
      EXPECT_EQ(heard.back(), std::make_pair(size, size));
    }
  }
  removeDataFile(path);
}
