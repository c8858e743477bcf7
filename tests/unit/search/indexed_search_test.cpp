// The searches with the saved index against the same searches reading the whole file: the same
// counts, lines, occurrences and time lines on files of several blocks, with the index absent,
// whole, or covering only the start of a file that has grown; on one and two threads, with
// positioned reads and mapped windows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "index/index_build.h"
#include "index/index_file.h"
#include "search/block_decisions.h"
#include "search/pattern_search.h"
#include "search/time_search.h"
#include "tests/unit/search/varied_records.h"

namespace {

double microsOf(const BusRecord& r) { return 0.5 * static_cast<double>(timeTagHalfMicrosExact(timeTagOf(r))); }

// Criteria that often fit whole stretches of variedRecords, or none of them, and gap windows that
// end exactly on the steps across block edges.
std::vector<SearchSettings> criteriaSet(unsigned seed, const std::vector<BusRecord>& records) {
  auto next = [&seed](unsigned range) { return ((seed = seed * 1664525u + 1013904223u) >> 8) % range; };
  const double windows[][2] = {{-1e9, 0}, {-1e9, -29}, {-28, -27}, {100000, 1e12}, {22, 60}, {-1e12, 1e12}};
  std::vector<SearchSettings> set;
  for (int k = 0; k < 36; ++k) {
    SearchSettings s;
    setSearchDefaults(s);
    for (unsigned bits = next(4); bits > 0; --bits) {
      const uint32_t bit = 1u << (next(3) == 0 ? next(24) : next(6));
      s.dontCareMask &= ~bit;
      if (next(2)) s.oneMask |= bit;
    }
    s.syncChoice = static_cast<int32_t>(next(3));
    s.errorChoice = static_cast<int32_t>(next(3));
    s.busChoice = static_cast<int32_t>(next(5));
    if (next(2)) {
      const auto& window = windows[next(6)];
      s.gapBefore = static_cast<uint8_t>(next(2));
      s.gapMinEnabled = static_cast<uint8_t>(next(3) != 0);
      s.gapMaxEnabled = static_cast<uint8_t>(s.gapMinEnabled == 0 || next(2) != 0);
      s.gapMin = window[0];
      s.gapMax = window[1];
    }
    set.push_back(s);
  }
  for (size_t edge = kIndexBlockRecords; edge < records.size(); edge += kIndexBlockRecords) {
    const double gap = microsOf(records[edge]) - microsOf(records[edge - 1]) - 28;
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

struct Reference {
  std::vector<uint64_t> lines;  // every match, by a full read
};

void expectSameResults(const std::string& path, const std::vector<SearchSettings>& criteria,
                       const std::vector<Reference>& reference, const std::vector<double>& targets,
                       const std::vector<uint64_t>& targetLines, const ScanOptions& options, const std::string& what) {
  for (size_t k = 0; k < criteria.size(); ++k) {
    SearchSettings s = criteria[k];
    const std::vector<uint64_t>& expected = reference[k].lines;
    const std::string where = what + ", criteria " + std::to_string(k);
    s.searchMode = 1;
    ASSERT_EQ(searchPattern(path, s, options), StatusCode::Success);
    EXPECT_EQ(s.searchResult, static_cast<double>(expected.size())) << where;
    std::vector<uint64_t> lines;
    ASSERT_EQ(forEachMatch(path, s, [&](uint64_t line) { return lines.push_back(line), true; }, options),
              StatusCode::Success);
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

TEST(IndexedSearch, SameResultsAsAFullRead) {
  struct File {
    unsigned seed;
    size_t records;
    unsigned fragment;
  };
  const File files[] = {{31, 5 * kIndexBlockRecords + 1234, 5}, {32, 3 * kIndexBlockRecords, 0}, {33, 100, 0},
                        {34, 0, 3}, {0, 4 * kIndexBlockRecords, 0}};
  TempFolder folder;
  const std::string path = folder.file("indexed_search.qel");
  const std::string index = indexPathFor(path);
  uint64_t decided = 0, undecided = 0;
  for (const File& f : files) {
    const std::vector<BusRecord> records = f.seed == 0 ? edgeRecords() : variedRecords(f.seed, f.records);
    const std::string what = "file " + std::to_string(f.seed);
    std::filesystem::remove(index);
    writeDataFile(path, records, f.fragment);

    // The whole read first: every match, and the line of each time target.
    ScanOptions fullRead;
    fullRead.useIndex = false;
    std::vector<SearchSettings> criteria = criteriaSet(f.seed, records);
    if (f.seed == 0) {
      // J2 alone, the J1 gap of 22 (which every step within a block has) and windows around it.
      const double windows[][2] = {{22, 22}, {21.5, 22}, {22, 72}, {71.5, 72}, {-10, 122}, {-100, -18}};
      for (const auto& window : windows) {
        for (const int32_t bus : {BusJ1, BusJ2}) {
          for (const uint8_t before : {0, 1}) {
            SearchSettings s;
            setSearchDefaults(s);
            s.busChoice = bus, s.gapBefore = before, s.gapMinEnabled = s.gapMaxEnabled = 1;
            s.gapMin = window[0], s.gapMax = window[1];
            criteria.push_back(s);
          }
        }
      }
    }
    std::vector<Reference> reference(criteria.size());
    for (size_t k = 0; k < criteria.size(); ++k) {
      ASSERT_EQ(forEachMatch(path, criteria[k], [&](uint64_t line) { return reference[k].lines.push_back(line), true; },
                             fullRead),
                StatusCode::Success);
    }
    ASSERT_FALSE(std::filesystem::exists(index)) << "a full read on request leaves no index";
    std::vector<double> targets = {0, -1, 1e18};
    for (size_t i = 0; i < records.size(); i += 1 + records.size() / 40) {
      const double at = microsOf(records[i]);
      targets.insert(targets.end(), {at, at + 0.5, at - 0.5, at + 1000});
      if (i > 0 && timeTagHalfMicrosExact(timeTagOf(records[i])) < timeTagHalfMicrosExact(timeTagOf(records[i - 1]))) {
        targets.push_back(at + 0.25);  // time going back
      }
    }
    std::vector<uint64_t> targetLines;
    for (const double target : targets) {
      uint64_t line = 0;
      ASSERT_EQ(findTimeTag(path, target, line, fullRead), StatusCode::Success);
      targetLines.push_back(line);
    }

    // The first search without an index leaves one, the same as one made on purpose.
    ScanOptions options;
    uint64_t line = 0;
    ASSERT_EQ(findTimeTag(path, 1e18, line, options), StatusCode::Success);
    EXPECT_EQ(line, records.size() + 1);
    const Bytes leftBySearch = readBytes(index);
    std::remove(index.c_str());
    IndexRefresh made;
    ASSERT_EQ(refreshDataFileIndex(path, made), StatusCode::Success);
    EXPECT_EQ(readBytes(index), leftBySearch) << what;

    // The summaries decide some blocks and leave others to be read.
    const UsableIndex usable = [&] {
      DataFileSource source;
      EXPECT_TRUE(openDataFileSource(path, source));
      UsableIndex u = loadUsableIndex(path, source);
      closeDataFileSource(source);
      return u;
    }();
    for (const SearchSettings& s : criteria) {
      const MatchPlan plan = makeMatchPlan(s);
      for (size_t b = 0; b < usable.entries.size(); ++b) {
        (matchesFromSummary(plan, b > 0 ? &usable.entries[b - 1] : nullptr, usable.entries[b]) >= 0 ? decided
                                                                                                       : undecided)++;
      }
    }

    // With the whole index, on one and two threads, by positioned reads and mapped windows.
    for (const unsigned threads : {1u, 2u}) {
      options.pass.threads = threads;
      options.pass.method = threads == 1 ? ReadMethod::Mapped : ReadMethod::Positioned;
      expectSameResults(path, criteria, reference, targets, targetLines, options,
                        what + ", whole index, threads " + std::to_string(threads));
    }
    // With no index and none left, and with an index of the file's start (the file has grown).
    options.leaveIndex = false;
    std::remove(index.c_str());
    expectSameResults(path, criteria, reference, targets, targetLines, options, what + ", no index");
    if (records.size() > 2 * kIndexBlockRecords) {
      const size_t start = kIndexBlockRecords + kIndexBlockRecords / 2;
      writeDataFile(path, std::vector<BusRecord>(records.begin(), records.begin() + start));
      ASSERT_EQ(refreshDataFileIndex(path, made), StatusCode::Success);
      writeDataFile(path, records, f.fragment);
      expectSameResults(path, criteria, reference, targets, targetLines, options, what + ", index of the start");
    }
    options.leaveIndex = true;
  }
  EXPECT_GT(decided, 50u) << "blocks decided by their summaries";
  EXPECT_GT(undecided, 50u) << "blocks left to be read";
}
