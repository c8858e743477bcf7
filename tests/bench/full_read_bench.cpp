// Whole-file reads beside `cat` and `dd bs=16M` of the same file in the same run: the floor of any
// pass (summing every 64-bit word), a gap count no block can skip and find-time past the last
// record (both with --no-index's full read), and the index made from the whole file; each cached
// (best of five) and cold (the file's pages dropped with posix_fadvise POSIX_FADV_DONTNEED before
// each run, best of three), the tasks taking turns. Then the work done on each block, on blocks
// already in memory.
//
// Usage: full_read_bench [data-file [GiB]]   (or VARNOTEK_BENCH_FILE; default
// /tmp/varnotek-bench/bench.qel, 1 GiB; the file is made when it is missing or of another size)
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench_data_file.h"
#include "files/block_pass.h"
#include "index/block_entry.h"
#include "index/index_build.h"
#include "search/criteria.h"
#include "search/pattern_search.h"
#include "search/scan_kernels.h"
#include "search/search_settings.h"
#include "search/time_search.h"

namespace {

constexpr int kRounds = 5;

double secondsOf(const std::function<void()>& run, int rounds = kRounds, const std::function<void()>& before = {}) {
  double best = 1e30;
  for (int round = 0; round < rounds; ++round) {
    if (before) before();
    const auto start = std::chrono::steady_clock::now();
    run();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

uint64_t sumWords(const unsigned char* bytes, uint64_t size) {
  uint64_t sum = 0;
  for (uint64_t at = 0; at + 8 <= size; at += 8) {
    uint64_t word;
    std::memcpy(&word, bytes + at, 8);
    sum += word;
  }
  return sum;
}

// A pass over the whole file that sums every word.
uint64_t sumFile(const std::string& path, unsigned threads) {
  DataFileSource source;
  if (!openDataFileSource(path, source)) return 0;
  PassOptions options;
  options.threads = threads;
  std::vector<uint64_t> slots(passSlots(options));
  uint64_t total = 0;
  runBlockPass(
      source, {BlockRange{0, UINT64_MAX / 2}}, options,
      [&](unsigned slot, const BlockRun& run) { slots[slot] = sumWords(run.records, run.recordCount * 16); },
      [&](unsigned slot, const BlockRun&) {
        total += slots[slot];
        return true;
      });
  closeDataFileSource(source);
  return total;
}

std::string loadAverage() {
  char text[64] = {};
  if (FILE* file = std::fopen("/proc/loadavg", "r")) {
    if (std::fgets(text, sizeof text, file) == nullptr) text[0] = '\0';
    std::fclose(file);
  }
  return std::string(text, strcspn(text, "\n"));
}

}  // namespace

int main(int argc, char** argv) {
  const double gib = argc > 2 ? std::atof(argv[2]) : 1.0;
  const uint64_t records = static_cast<uint64_t>(gib * 67108864.0);
  const std::string path = benchDataFile(argc, argv, records);
  if (path.empty()) return 1;
  const double bytes = static_cast<double>(records * kBusRecordBytes);
  std::printf("load average before: %s\n", loadAverage().c_str());

  const std::string cat = "cat '" + path + "' > /dev/null", dd = "dd if='" + path + "' of=/dev/null bs=16M status=none";
  auto shell = [](const std::string& command) {
    return [command] {
      if (std::system(command.c_str()) != 0) std::printf("%s failed\n", command.c_str());
    };
  };
  SearchSettings gaps;
  setSearchDefaults(gaps);
  gaps.searchMode = 1;
  // Gaps (the time between two words less a word's 28 us) from -4 to 1000 us: about half the words.
  gaps.gapMinEnabled = 1, gaps.gapMin = -4, gaps.gapMaxEnabled = 1, gaps.gapMax = 1000;
  ScanOptions fullRead;
  fullRead.useIndex = false;
  uint64_t line = 0, sum = 0;
  IndexRefresh refresh;
  const struct {
    const char* what;
    std::function<void()> run;
  } tasks[] = {
      {"cat FILE > /dev/null", shell(cat)},
      {"dd if=FILE of=/dev/null bs=16M", shell(dd)},
      {"every 64-bit word summed (the floor of a pass)", [&] { sum = sumFile(path, 2); }},
      {"count gaps of -4 to 1000 us, --no-index", [&] { searchPattern(path, gaps, fullRead); }},
      {"find-time past the last record, --no-index", [&] { findTimeTag(path, 1e18, line, fullRead); }},
      {"the index made from the whole file", [&] { rebuildDataFileIndex(path, refresh); }},
  };
  // The tasks in turn, round after round, so that each meets the machine as the others do: cached
  // (after one run of each to fill the cache), then cold.
  const size_t n = sizeof tasks / sizeof tasks[0];
  std::vector<double> cached(n, 1e30), cold(n, 1e30);
  for (const auto& task : tasks) task.run();
  for (int round = 0; round < 5; ++round) {
    for (size_t t = 0; t < n; ++t) cached[t] = std::min(cached[t], secondsOf(tasks[t].run, 1));
  }
  for (int round = 0; round < 3; ++round) {
    for (size_t t = 0; t < n; ++t) cold[t] = std::min(cold[t], secondsOf(tasks[t].run, 1, [&] { dropPages(path); }));
  }
  const double catCached = cached[0];
  std::printf("\n%-50s %9s %7s %9s %7s\n", "task (two threads)", "cached s", "x cat", "cold s", "x cat");
  for (size_t t = 0; t < n; ++t) {
    std::printf("%-50s %9.3f %7.2f %9.3f %7.2f\n", tasks[t].what, cached[t], cached[t] / catCached, cold[t],
                cold[t] / cold[0]);
  }
  std::printf("(%.0f MB; gaps %.f, line %llu, sum %llx, %zu index entries)\n", bytes / 1e6, gaps.searchResult,
              static_cast<unsigned long long>(line), static_cast<unsigned long long>(sum), refresh.entries.size());
  std::remove(indexPathFor(path).c_str());
  std::printf("load average after: %s\n", loadAverage().c_str());

  // The work on blocks already in memory: 64 MiB of the file, block by block.
  std::vector<unsigned char> memory(64u << 20);
  FILE* file = std::fopen(path.c_str(), "rb");
  const bool readOk = file != nullptr && std::fread(memory.data(), 1, memory.size(), file) == memory.size();
  if (file != nullptr) std::fclose(file);
  if (!readOk) return 1;
  const size_t blockBytes = kIndexBlockRecords * kBusRecordBytes;
  const size_t blocks = memory.size() / blockBytes;
  // Seconds for the whole file at the measured rate.
  auto perFile = [&](double seconds) { return seconds * bytes / static_cast<double>(memory.size()); };
  std::printf("\nWork on blocks in memory (seconds for the whole file on one thread):\n");

  SearchSettings gap;
  setSearchDefaults(gap);
  gap.gapMinEnabled = 1, gap.gapMin = 100, gap.gapMaxEnabled = 1, gap.gapMax = 500;
  SearchSettings pattern;
  setSearchDefaults(pattern);
  clickPatternBit(pattern, 0), clickPatternBit(pattern, 0);  // bit 0 ONE
  pattern.busChoice = BusJ2;
  const struct {
    const char* what;
    const SearchSettings* settings;
  } counts[] = {{"count, gap 100..500", &gap}, {"count, bit 0 ONE, J2", &pattern}};
  for (const auto& c : counts) {
    for (const bool portable : {true, false}) {
      MatchPlan plan = makeMatchPlan(*c.settings);
      plan.portableOnly = portable;
      uint64_t matches = 0;
      const double seconds = secondsOf([&] {
        MatchScanState state;
        matches = 0;
        for (size_t b = 0; b < blocks; ++b) {
          matches += countBlockMatches(plan, state, memory.data() + b * blockBytes, kIndexBlockRecords);
        }
      });
      std::printf("%-52s %7.3f s  %5.2f x cat  (%llu)\n",
                  (std::string(c.what) + (portable ? ", portable" : ", SIMD")).c_str(), perFile(seconds),
                  perFile(seconds) / catCached, static_cast<unsigned long long>(matches));
    }
  }
  for (const bool portable : {true, false}) {
    size_t found = 0;
    const double seconds = secondsOf([&] {
      found = 0;
      for (size_t b = 0; b < blocks; ++b) {
        HalfMicrosClock clock;
        found += findBlockTimeAtOrAfter(clock, UINT64_MAX, memory.data() + b * blockBytes, kIndexBlockRecords,
                                        portable);
      }
    });
    std::printf("%-52s %7.3f s  %5.2f x cat  (%zu)\n", portable ? "time search, portable" : "time search, SIMD",
                perFile(seconds), perFile(seconds) / catCached, found);
  }
  for (const bool portable : {true, false}) {
    uint64_t summarized = 0;
    const double seconds = secondsOf([&] {
      summarized = 0;
      for (size_t b = 0; b < blocks; ++b) {
        summarized += summarizeBlock(memory.data() + b * blockBytes, kIndexBlockRecords, portable).maxTime;
      }
    });
    std::printf("%-52s %7.3f s  %5.2f x cat  (%llu)\n", portable ? "index entries, portable" : "index entries, SIMD",
                perFile(seconds), perFile(seconds) / catCached, static_cast<unsigned long long>(summarized));
  }
  return 0;
}
