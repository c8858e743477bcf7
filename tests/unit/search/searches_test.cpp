// The searches against record-by-record checks: the scan kernels (portable and SSE2) over records in
// memory, and the whole-file searches (counts, lines, occurrences and time lines) on files of
// several blocks, read whole or with the saved index, on one and two threads, and after a change
// under the index that moved the file's size and time; and every pass over a file cut short.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "files/record_blocks.h"
#include "files/report.h"
#include "index/index_build.h"
#include "index/index_file.h"
#include "search/block_decisions.h"
#include "search/pattern_search.h"
#include "search/scan_kernels.h"
#include "search/time_search.h"
#include "tests/support/record_oracles.h"
#include "tests/unit/search/varied_records.h"

namespace {

// Criteria on the low pattern bits and bit 23 (which often fit whole stretches of variedRecords, or
// none of them), each choice of sync, errors and bus, gap windows of each kind (steps backwards,
// long gaps), and windows that end exactly on the steps across block edges.
std::vector<SearchSettings> criteriaSet(const std::vector<BusRecord>& records) {
  const double windows[][2] = {{-1e9, 0}, {-1e9, -29}, {-28, -27}, {100000, 1e12}, {22, 60}, {-1e12, 1e12}};
  std::vector<SearchSettings> set;
  for (int k = 0; k < 36; ++k) {
    const uint32_t dontCare = k % 4 == 0 ? 0x00FFFFFFu : k % 4 == 1 ? 0x007FFFF0u : 0x00FFFFF0u;
    const auto& window = windows[k / 6];
    set.push_back({0, 5, k & ~dontCare, dontCare, k % 3, k / 3 % 3, k % 5, window[0], window[1],
                   static_cast<uint8_t>(k % 2), static_cast<uint8_t>(k / 2 % 2), static_cast<uint8_t>(k / 4 % 2)});
  }
  for (size_t edge = kIndexBlockRecords; edge < records.size(); edge += kIndexBlockRecords) {
    const double gap = timeTagMicros(timeTagOf(records[edge])) - timeTagMicros(timeTagOf(records[edge - 1])) - 28;
    for (int k = 0; k < 4; ++k) {
      SearchSettings s;
      setSearchDefaults(s);
      s.busChoice = k < 2 ? BusAny : static_cast<int32_t>(1 + busChannel(records[edge - k % 2]));
      s.gapBefore = static_cast<uint8_t>(k % 2);
      s.gapMinEnabled = s.gapMaxEnabled = 1;
      s.gapMin = k == 1 ? gap + 0.5 : gap;
      s.gapMax = k == 3 ? gap - 0.5 : gap;
      set.push_back(s);
    }
  }
  return set;
}

// Four blocks of J1 data words 50 us apart (gap 22) but for a few J2 command words at the block
// edges, with steps of their own across them.
std::vector<BusRecord> edgeRecords() {
  std::vector<BusRecord> records;
  uint64_t half = 86400ull * 2000000ull * 200;
  for (uint64_t i = 0; i < 4 * kIndexBlockRecords; ++i) {
    const bool j2 = i == kIndexBlockRecords || i == 2 * kIndexBlockRecords - 1 || i == 3 * kIndexBlockRecords - 1 ||
                    i == 3 * kIndexBlockRecords + 7;
    half += i == kIndexBlockRecords ? 200 : i == 2 * kIndexBlockRecords ? 300 : i == 3 * kIndexBlockRecords ? 20 : 100;
    records.push_back(testRecord({half, j2 ? 0x800001u : 0x000001u, j2 ? 1u : 0u, j2 ? 1u : 0u}));
  }
  return records;
}

// What a record-by-record check gives for records: every match of each criterion, and the line of
// each time target.
struct Expected {
  std::vector<SearchSettings> criteria;
  std::vector<std::vector<uint64_t>> reference;
  std::vector<double> targets = {0, -1, 1e18, 366 * 86400e6};
  std::vector<uint64_t> targetLines;
};
Expected expectedOf(const std::vector<BusRecord>& records) {
  Expected e;
  std::vector<double> t;
  for (const BusRecord& r : records) t.push_back(timeTagMicros(timeTagOf(r)));
  e.criteria = criteriaSet(records);
  e.reference.resize(e.criteria.size());
  for (size_t k = 0; k < e.criteria.size(); ++k) {
    for (size_t i = 0; i < records.size(); ++i) {
      const bool hasNext = i + 1 < records.size();
      if (recordMatches(e.criteria[k], records[i], t[i], i > 0, i > 0 ? t[i - 1] : 0.0, hasNext,
                        hasNext ? t[i + 1] : 0.0)) {
        e.reference[k].push_back(i + 1);
      }
    }
  }
  for (size_t i = 0; i < records.size(); i += 1 + records.size() / 40) {
    e.targets.insert(e.targets.end(), {t[i], t[i] + 0.5, t[i] - 0.5, t[i] + 1000});
    if (i > 0 && t[i] < t[i - 1]) e.targets.push_back(t[i] + 0.25);  // time going back
  }
  for (const double target : e.targets) {
    e.targetLines.push_back(std::find_if(t.begin(), t.end(), [&](double x) { return x >= target; }) - t.begin() + 1);
  }
  return e;
}

// The kernels over the records in memory, in pieces of an odd size, in both forms.
void expectKernelsAgree(const std::vector<BusRecord>& records, const Expected& e, const std::string& what) {
  const auto& [criteria, reference, targets, targetLines] = e;
  const Bytes bytes = dataFileBytes(records);
  const size_t piece = 4099;
  for (const bool portable : {true, false}) {
    const std::string form = what + (portable ? ", portable" : ", SIMD");
    for (size_t k = 0; k < criteria.size(); ++k) {
      MatchPlan plan = makeMatchPlan(criteria[k]);
      plan.portableOnly = portable;
      MatchScanState counting, visiting;
      uint64_t counted = 0;
      std::vector<uint64_t> visited;
      for (size_t at = 0; at < records.size(); at += piece) {
        const size_t n = std::min(piece, records.size() - at);
        counted += countBlockMatches(plan, counting, &bytes[at * kBusRecordBytes], n);
        visitBlockMatches(plan, visiting, &bytes[at * kBusRecordBytes], n, [&](uint64_t line) {
          visited.push_back(line);
          return true;
        });
      }
      EXPECT_EQ(counted, reference[k].size()) << form << ", criteria " << k;
      EXPECT_EQ(visited, reference[k]) << form << ", criteria " << k;
    }
    for (size_t t = 0; t < targets.size(); ++t) {
      uint64_t line = 1;
      HalfMicrosClock clock;
      const uint64_t wanted = targets[t] <= 0 ? 0 : static_cast<uint64_t>(std::ceil(2 * targets[t]));
      for (size_t at = 0; at < records.size(); at += piece) {
        const size_t n = std::min(piece, records.size() - at);
        const size_t before = findBlockTimeAtOrAfter(clock, wanted, &bytes[at * kBusRecordBytes], n, portable);
        line += before;
        if (before < n) break;
      }
      EXPECT_EQ(line, targetLines[t]) << form << ", target " << targets[t];
    }
  }
}

void expectSameResults(const std::string& path, const Expected& e, const ScanOptions& options,
                       const std::string& what) {
  const auto& [criteria, reference, targets, targetLines] = e;
  for (size_t k = 0; k < criteria.size(); ++k) {
    SearchSettings s = criteria[k];
    const std::vector<uint64_t>& expected = reference[k];
    const std::string where = what + ", criteria " + std::to_string(k);
    s.searchMode = 1;
    ASSERT_EQ(searchPattern(path, s, options), StatusCode::Success);
    EXPECT_EQ(s.searchResult, static_cast<double>(expected.size())) << where;
    std::vector<uint64_t> lines;
    const auto collect = [&](uint64_t line) {
      lines.push_back(line);
      return true;
    };
    ASSERT_EQ(forEachMatch(path, s, collect, options), StatusCode::Success);
    EXPECT_EQ(lines, expected) << where;
    s.searchMode = 0;
    const size_t n = expected.size();
    for (const size_t nth : {size_t{1}, size_t{2}, n / 3 + 1, n / 2 + 1, n, n + 1}) {
      s.occurrence = static_cast<double>(nth);
      ASSERT_EQ(searchPattern(path, s, options), StatusCode::Success);
      const double line = nth >= 1 && nth <= n ? static_cast<double>(expected[nth - 1]) : 0.0;
      EXPECT_EQ(s.searchResult, line) << where << ", occurrence " << nth;
    }
  }
  for (size_t t = 0; t < targets.size(); ++t) {
    uint64_t line = 0;
    ASSERT_EQ(findTimeTag(path, targets[t], line, options), StatusCode::Success);
    EXPECT_EQ(line, targetLines[t]) << what << ", target " << targets[t];
  }
}

}  // namespace

TEST(Searches, KernelsFullReadsAndTheIndexAgreeWithRecordByRecordChecks) {
  struct File {
    unsigned seed;
    size_t records;
    unsigned fragment;
    size_t rewritten = 0;  // then this record is rewritten in place and 100 records are appended
  };
  const File files[] = {{31, 5 * kIndexBlockRecords + 1234, 5}, {32, 3 * kIndexBlockRecords, 0}, {33, 100, 0},
                        {34, 0, 3}, {0, 4 * kIndexBlockRecords, 0}, {35, 200000, 0, 119689}};
  TempFolder folder;
  const std::string path = folder.file("searches.qel");
  const std::string index = indexPathFor(path);
  uint64_t decided = 0, undecided = 0;
  for (const File& f : files) {
    std::vector<BusRecord> records = f.seed == 0 ? edgeRecords() : variedRecords(f.seed, f.records);
    const std::string what = "file " + std::to_string(f.seed);
    std::filesystem::remove(index);
    writeDataFile(path, records, f.fragment);
    const Expected e = expectedOf(records);
    expectKernelsAgree(records, e, what);

    // A full read on request, which leaves no index.
    ScanOptions options;
    options.useIndex = false;
    expectSameResults(path, e, options, what + ", full read");
    ASSERT_FALSE(std::filesystem::exists(index)) << "a full read on request leaves no index";

    // The first search without an index leaves one, which the searches below believe: its summaries
    // decide some blocks and leave others to be read.
    options.useIndex = true;
    uint64_t line = 0;
    ASSERT_EQ(findTimeTag(path, 1e18, line, options), StatusCode::Success);
    const UsableIndex usable = [&] {
      DataFileSource source;
      EXPECT_TRUE(openDataFileSource(path, source));
      UsableIndex u = loadUsableIndex(path, source);
      closeDataFileSource(source);
      return u;
    }();
    for (const SearchSettings& s : e.criteria) {
      const MatchPlan plan = makeMatchPlan(s);
      for (size_t b = 0; b < usable.entries.size(); ++b) {
        (matchesFromSummary(plan, b > 0 ? &usable.entries[b - 1] : nullptr, usable.entries[b]) >= 0 ? decided
                                                                                                       : undecided)++;
      }
    }

    // With the index, on one and two threads.
    for (const unsigned threads : {1u, 2u}) {
      options.pass.threads = threads;
      expectSameResults(path, e, options, what + ", whole index, threads " + std::to_string(threads));
    }
    if (f.rewritten == 0) continue;
    // A record rewritten in place (errors, day 366), records appended: the old index is no evidence.
    records[f.rewritten - 1] = testRecord({halfMicrosAt(366, 0, 0, 0), 0x5A5A5A, 2, 0, 9});
    const std::vector<BusRecord> more = variedRecords(f.seed + 1, 100);
    records.insert(records.end(), more.begin(), more.end());
    const Bytes now = dataFileBytes(records);
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    const size_t at = (f.rewritten - 1) * kBusRecordBytes, end = now.size() - more.size() * kBusRecordBytes;
    file.seekp(static_cast<std::streamoff>(at)).write(reinterpret_cast<const char*>(&now[at]), kBusRecordBytes);
    file.seekp(static_cast<std::streamoff>(end)).write(reinterpret_cast<const char*>(&now[end]), 1600);
    ASSERT_TRUE(file.flush());
    options.leaveIndex = false;
    expectSameResults(path, expectedOf(records), options, what + ", changed and grown");
  }
  EXPECT_GT(decided, 50u) << "blocks decided by their summaries";
  EXPECT_GT(undecided, 50u) << "blocks left to be read";
  // A file that cannot be opened: its status, and no result left from before.
  SearchSettings s;
  s.searchResult = 17;
  EXPECT_EQ(searchPattern(folder.file("missing.qel"), s), StatusCode::FileOpenError);
  EXPECT_EQ(s.searchResult, 0.0);
  uint64_t line = 7;
  EXPECT_EQ(findTimeTag(folder.file("missing.qel"), 0, line), StatusCode::FileOpenError);
}

// A data file cut short between two blocks while a pass reads it: every kind of pass ends with
// FileReadError, never with a result of the part it read. The cut comes from the pass's own progress
// report after its first run, on one thread, so that the next read is the first to meet it.
TEST(ShrinkingFile, EveryPassReportsTheCut) {
  TempFolder folder;
  const std::string path = folder.file("shrinking.qel");
  const ScanProgress cutOnce = [&](uint64_t, uint64_t) {
    if (std::filesystem::file_size(path) > 2 * kIndexBlockRecords * kBusRecordBytes) {
      std::filesystem::resize_file(path, (kIndexBlockRecords + 100) * kBusRecordBytes);
    }
  };
  const ScanOptions options{&cutOnce, false, false, PassOptions{kIndexBlockRecords, 1, 1}};  // one block a run
  SearchSettings count;
  setSearchDefaults(count);
  count.searchMode = 1;
  uint64_t line = 0;
  IndexRefresh refresh;
  const std::function<StatusCode()> passes[] = {
      [&] { return searchPattern(path, count, options); },
      [&] { return findTimeTag(path, 1e18, line, options); },
      [&] { return refreshDataFileIndex(path, refresh, options.pass, &cutOnce); },
      [&] {
        RecordBlockReader reader;
        const unsigned char* records = nullptr;
        EXPECT_TRUE(openRecordBlocks(reader, path, kIndexBlockRecords * kBusRecordBytes, &cutOnce));
        while (nextRecordBlock(reader, records) > 0) {
        }
        return closeRecordBlocks(reader);
      },
      [&] { return writeReport(path, folder.file("report.txt"), StackFormat::BinaryHex, 1, -1, &cutOnce); },
  };
  for (const auto& pass : passes) {
    writeDataFile(path, variedRecords(5, 3 * kIndexBlockRecords));
    EXPECT_EQ(pass(), StatusCode::FileReadError) << "pass " << &pass - passes;
  }
  EXPECT_EQ(count.searchResult, 0.0);
  EXPECT_EQ(line, 0u);
  EXPECT_FALSE(refresh.saved);
}
