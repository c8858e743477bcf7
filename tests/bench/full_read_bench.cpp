// The ways of reading a whole data file, and the work done on each block, on the 1 GiB data file
// (cached) beside `cat`: positioned reads and mapped windows on one and two threads (summing every
// 64-bit word, as a floor for any pass), then the scan kernels, portable and SIMD, and the index
// summary on blocks already in memory.
//
// Usage: full_read_bench [data-file]   (or VARNOTEK_BENCH_FILE; default /tmp/varnotek-bench/bench.qel)
// Every figure is the best of five rounds.
#include <algorithm>
#include <atomic>
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
#include "search/criteria.h"
#include "search/pattern_search.h"
#include "search/scan_kernels.h"
#include "search/search_settings.h"

namespace {

constexpr int kRounds = 5;

double secondsOf(const std::function<void()>& run) {
  double best = 1e30;
  for (int round = 0; round < kRounds; ++round) {
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

// A pass over the whole file that sums every word, with the given method and threads.
uint64_t sumFile(const std::string& path, ReadMethod method, unsigned threads) {
  DataFileSource source;
  if (!openDataFileSource(path, source)) return 0;
  PassOptions options;
  options.method = method;
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

}  // namespace

int main(int argc, char** argv) {
  const std::string path = benchDataFile(argc, argv);
  if (path.empty()) return 1;
  const std::string cat = "cat '" + path + "' > /dev/null";
  if (std::system(cat.c_str()) != 0) return 1;
  const double catSeconds = secondsOf([&] {
    if (std::system(cat.c_str()) != 0) std::printf("cat failed\n");
  });
  const double bytes = static_cast<double>(kBenchRecords * kBusRecordBytes);
  std::printf("%-52s %7.3f s  (%.0f MB/s)\n", "cat FILE > /dev/null", catSeconds, bytes / 1e6 / catSeconds);

  std::printf("\nReading the whole file, summing every 64-bit word:\n");
  const uint64_t expected = sumFile(path, ReadMethod::Positioned, 1);
  for (const ReadMethod method : {ReadMethod::Positioned, ReadMethod::Mapped}) {
    for (const unsigned threads : {1u, 2u}) {
      uint64_t sum = 0;
      const double seconds = secondsOf([&] { sum = sumFile(path, method, threads); });
      std::printf("%-52s %7.3f s  %5.2f x cat%s\n",
                  (std::string(method == ReadMethod::Mapped ? "mapped 16 MiB windows" : "positioned reads of 1 MiB") +
                   (threads == 1 ? ", one thread" : ", two threads"))
                      .c_str(),
                  seconds, seconds / catSeconds, sum == expected ? "" : "  [SUM DIFFERS]");
    }
  }

  std::printf("\nA full-read search (count of gaps 10..1000 us, no index) by each way:\n");
  for (const ReadMethod method : {ReadMethod::Positioned, ReadMethod::Mapped}) {
    for (const unsigned threads : {1u, 2u}) {
      SearchSettings settings;
      setSearchDefaults(settings);
      settings.searchMode = 1;
      settings.gapMinEnabled = 1, settings.gapMin = 10, settings.gapMaxEnabled = 1, settings.gapMax = 1000;
      ScanOptions options;
      options.useIndex = false;
      options.pass.method = method;
      options.pass.threads = threads;
      const double seconds = secondsOf([&] { searchPattern(path, settings, options); });
      std::printf("%-52s %7.3f s  %5.2f x cat  (%.f)\n",
                  (std::string(method == ReadMethod::Mapped ? "mapped" : "positioned") +
                   (threads == 1 ? ", one thread" : ", two threads"))
                      .c_str(),
                  seconds, seconds / catSeconds, settings.searchResult);
    }
  }

  // The work on blocks already in memory: 64 MiB of the file, block by block.
  std::vector<unsigned char> memory(64u << 20);
  FILE* file = std::fopen(path.c_str(), "rb");
  const bool readOk = file != nullptr && std::fread(memory.data(), 1, memory.size(), file) == memory.size();
  if (file != nullptr) std::fclose(file);
  if (!readOk) return 1;
  const size_t blockBytes = kIndexBlockRecords * kBusRecordBytes;
  const size_t blocks = memory.size() / blockBytes;
  // Seconds for the whole 1 GiB file at the measured rate.
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
                  perFile(seconds) / catSeconds, static_cast<unsigned long long>(matches));
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
                perFile(seconds), perFile(seconds) / catSeconds, found);
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
                perFile(seconds), perFile(seconds) / catSeconds, static_cast<unsigned long long>(summarized));
  }
  return 0;
}
