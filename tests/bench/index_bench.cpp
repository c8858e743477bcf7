// What the saved index gives on a large data file made by the traffic generator: each search beside
// `cat FILE > /dev/null` on the same file, with the file in the page cache and with its pages
// dropped first (posix_fadvise POSIX_FADV_DONTNEED, for the data file and its index).
//
// Usage: index_bench [folder] [gibibytes]   (default /tmp/varnotek-bench and 8)
// The file (bench-<N>gib.qel) is made once and reused while it has the right size; it is large, so
// keep it outside the repository and remove it afterwards. The traffic is the simulated card's at
// 20,000 words a second with one word in a million carrying error flags, so that a channel, sync
// and error choice such as J4, CMND, WITH ERRORS occurs in fewer than 1% of the blocks.
// Cached figures are the best of three runs, cold ones the best of two.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "files/bus_record.h"
#include "index/index_build.h"
#include "index/index_file.h"
#include "search/pattern_search.h"
#include "search/time_search.h"
#include "sim/generated_data_file.h"
#include "tests/bench/bench_data_file.h"
#include "tests/support/sim_support.h"

namespace {

double timed(const std::function<void()>& run) {
  const auto start = std::chrono::steady_clock::now();
  run();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Figure {
  double cached = 0, cold = 0;
};

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : "/tmp/varnotek-bench";
  const uint64_t gib = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 8;
  const uint64_t records = gib * (uint64_t{1} << 30) / kBusRecordBytes;
  const std::string path = folder + "/bench-" + std::to_string(gib) + "gib.qel";
  const std::string index = indexPathFor(path);
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  if (std::filesystem::file_size(path, ignored) != records * kBusRecordBytes) {
    std::printf("making %s (%llu records of generated traffic)...\n", path.c_str(),
                static_cast<unsigned long long>(records));
    TrafficConfig traffic;
    traffic.errorOneIn = 1000000;
    const LocalTime start{2024, 3, 1, 0, 0, 0};
    if (!ok(writeGeneratedRecords(path.c_str(), traffic, records, start))) {
      std::printf("cannot write %s\n", path.c_str());
      return 1;
    }
  }
  const std::string catCommand = "cat '" + path + "' > /dev/null";
  auto cat = [&] {
    if (std::system(catCommand.c_str()) != 0) std::printf("cat failed\n");
  };
  // A figure: the best of three cached runs (after one to fill the cache) and of two cold ones.
  auto measure = [&](const std::function<void()>& run) {
    Figure f;
    cat();
    f.cached = 1e30;
    for (int i = 0; i < 3; ++i) f.cached = std::min(f.cached, timed(run));
    f.cold = 1e30;
    for (int i = 0; i < 2; ++i) {
      dropPages(path);
      dropPages(index);
      f.cold = std::min(f.cold, timed(run));
    }
    return f;
  };
  const Figure catFigure = measure(cat);
  const double bytes = static_cast<double>(records * kBusRecordBytes);
  std::printf("%llu GiB data file, %llu records; %u threads\n", static_cast<unsigned long long>(gib),
              static_cast<unsigned long long>(records), passThreads(PassOptions{}));
  std::printf("%-58s %9s %8s %9s %8s\n", "", "cached s", "x cat", "cold s", "x cat");
  auto print = [&](const char* what, const Figure& f, const std::string& result) {
    std::printf("%-58s %9.4f %8.4f %9.4f %8.4f  %s\n", what, f.cached, f.cached / catFigure.cached, f.cold,
                f.cold / catFigure.cold, result.c_str());
  };
  print("cat FILE > /dev/null", catFigure,
        "(" + std::to_string(static_cast<int>(bytes / 1e6 / catFigure.cached)) + " MB/s cached, " +
            std::to_string(static_cast<int>(bytes / 1e6 / catFigure.cold)) + " MB/s cold)");

  IndexRefresh refresh;
  const Figure build = measure([&] {
    std::remove(index.c_str());
    refreshDataFileIndex(path, refresh);
  });
  print("make the index of a file that has none", build,
        "(" + std::to_string(refresh.blocksRead) + " blocks, saved " + (refresh.saved ? "yes" : "NO") + ")");

  auto search = [&](const char* what, const std::function<void(SearchSettings&)>& set, bool useIndex) {
    SearchSettings settings;
    setSearchDefaults(settings);
    settings.searchMode = 1;
    set(settings);
    ScanOptions options;
    options.useIndex = useIndex;
    const Figure f = measure([&] { searchPattern(path, settings, options); });
    print(what, f, "(" + std::to_string(static_cast<unsigned long long>(settings.searchResult)) + ")");
  };
  auto findTime = [&](const char* what, double target) {
    uint64_t line = 0;
    const Figure f = measure([&] { findTimeTag(path, target, line); });
    print(what, f, "(line " + std::to_string(line) + ")");
  };
  findTime("find-time past the end, with the index", 366 * 86400e6 + 23 * 3600e6 + 59 * 60e6 + 59e6 + 999999);
  unsigned char middle[kBusRecordBytes] = {};
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    if (std::fseek(file, static_cast<long>(records / 2 * kBusRecordBytes), SEEK_SET) != 0 ||
        std::fread(middle, 1, sizeof middle, file) != sizeof middle) {
      std::printf("the middle record cannot be read\n");
    }
    std::fclose(file);
  }
  findTime("find-time to the middle record's time, with the index",
           0.5 * static_cast<double>(timeTagHalfMicrosExact(timeTagOf(busRecordFromBytes(middle)))));
  search("rare: count J4, CMND, WITH ERRORS, with the index",
         [](SearchSettings& s) { s.busChoice = BusJ4, s.syncChoice = SyncCmd, s.errorChoice = WithErrors; }, true);
  search("count J2 command words (no pattern, no gap), with the index",
         [](SearchSettings& s) { s.busChoice = BusJ2, s.syncChoice = SyncCmd; }, true);
  auto gap = [](SearchSettings& s) { s.gapMinEnabled = 1, s.gapMin = 10, s.gapMaxEnabled = 1, s.gapMax = 1000; };
  search("count gaps of 10..1000 us, every block read, with the index", gap, true);
  search("the same, --no-index", gap, false);

  // The index's size, and which blocks hold the rare combination.
  uint64_t rareBlocks = 0;
  for (const BlockEntry& entry : refresh.entries) rareBlocks += entry.classCounts[15] > 0 ? 1 : 0;
  const uint64_t indexBytes = std::filesystem::file_size(index, ignored);
  std::printf("index: %llu bytes for %llu blocks, %.4f%% of the data file; J4 CMND WITH ERRORS in %llu blocks (%.3f%%)\n",
              static_cast<unsigned long long>(indexBytes), static_cast<unsigned long long>(refresh.entries.size()),
              100.0 * indexBytes / bytes, static_cast<unsigned long long>(rareBlocks),
              100.0 * rareBlocks / std::max<size_t>(1, refresh.entries.size()));
  const uint64_t fiftyGB = 50ull * 1000 * 1000 * 1000;
  const uint64_t fiftyBlocks = (fiftyGB / kBusRecordBytes + kIndexBlockRecords - 1) / kIndexBlockRecords;
  std::printf("a 50 GB data file: index of %.1f MB; one time jump reads the index, %zu bytes of checks and one "
              "block of %llu KiB\n",
              (kIndexHeaderBytes + fiftyBlocks * kIndexEntryBytes) / 1e6, kFingerprintBytes + 16 * kBusRecordBytes,
              static_cast<unsigned long long>(kIndexBlockRecords * kBusRecordBytes / 1024));
  return 0;
}
