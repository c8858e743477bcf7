// Pattern-search and time-tag-search speed on a 1 GiB data file (67,108,864 records), beside the
// time `cat` takes to read the same file.
//
// Usage: search_bench [data-file]   (or VARNOTEK_BENCH_FILE; default /tmp/varnotek-bench/bench.qel)
// The data file is made once (the same traffic report_bench makes) and reused while it has the
// right size. Every figure is the best of five rounds on the cached file.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "files/bus_record.h"
#include "files/data_file.h"
#include "search/criteria.h"
#include "search/pattern_search.h"
#include "search/time_search.h"
#include "bench_data_file.h"

namespace {

constexpr uint64_t kRecords = kBenchRecords;
constexpr int kRounds = 5;

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path = benchDataFile(argc, argv);
  if (path.empty()) return 1;

  // Rounds of every measurement in turn, so that a busy machine slows them alike; the best of each.
  const std::string cat = "cat '" + path + "' > /dev/null";
  int catFailures = std::system(cat.c_str()) != 0 ? 1 : 0;  // brings the file into the cache

  struct Measurement {
    const char* what;
    std::function<std::string()> run;  // returns the result to print
    double best = 1e30;
  };
  std::vector<Measurement> measurements;
  measurements.push_back({"cat FILE > /dev/null", [&] {
                            catFailures += std::system(cat.c_str()) != 0 ? 1 : 0;
                            return std::string(catFailures ? "[cat failed]" : "");
                          }});

  struct PatternRun {
    const char* what;
    std::function<void(SearchSettings&)> set;
  };
  const PatternRun patternRuns[] = {
      {"count, gap before 10..1000 (both enabled)",
       [](SearchSettings& s) {
         s.gapMinEnabled = 1, s.gapMin = 10;
         s.gapMaxEnabled = 1, s.gapMax = 1000;
       }},
      {"count, gap after -6..-3, J2, bit 0 ONE",
       [](SearchSettings& s) {
         s.gapBefore = 0;
         s.gapMinEnabled = 1, s.gapMin = -6;
         s.gapMaxEnabled = 1, s.gapMax = -3;
         s.busChoice = BusJ2;
         clickPatternBit(s, 0), clickPatternBit(s, 0);
       }},
      {"count, with errors, gap before upper bound 0",
       [](SearchSettings& s) {
         s.errorChoice = WithErrors;
         s.gapMaxEnabled = 1, s.gapMax = 0;
       }},
      {"count, defaults (every record matches)", [](SearchSettings&) {}},
      {"find N = 6,000,000, bit 3 ZERO, CMD",
       [](SearchSettings& s) {
         s.searchMode = 0;
         s.occurrence = 6000000;
         s.syncChoice = SyncCmd;
         clickPatternBit(s, 3);
       }},
  };
  for (const PatternRun& patternRun : patternRuns) {
    measurements.push_back({patternRun.what, [&path, &patternRun] {
                              SearchSettings settings;
                              setSearchDefaults(settings);
                              settings.searchMode = 1;
                              patternRun.set(settings);
                              const StatusCode status = searchPattern(path, settings);
                              char result[80];
                              std::snprintf(result, sizeof result, "(result %.f, status %d)", settings.searchResult,
                                            static_cast<int>(status));
                              return std::string(result);
                            }});
  }
  measurements.push_back({"time-tag search to the end (366 23:59:59)", [&path] {
                            double target = 0;
                            parseTimeTagFields("366", "23", "59", "59", "", target);
                            uint64_t line = 0;
                            const StatusCode status = findTimeTag(path, target, line);
                            char result[80];
                            std::snprintf(result, sizeof result, "(line %llu, status %d)",
                                          static_cast<unsigned long long>(line), static_cast<int>(status));
                            return std::string(result);
                          }});

  std::vector<std::string> results(measurements.size());
  for (int round = 0; round < kRounds; ++round) {
    for (size_t m = 0; m < measurements.size(); ++m) {
      const auto start = std::chrono::steady_clock::now();
      results[m] = measurements[m].run();
      measurements[m].best = std::min(measurements[m].best, secondsSince(start));
    }
  }
  const double catSeconds = measurements[0].best;
  std::printf("%-50s %7.3f s  (%.0f MB/s) %s\n", measurements[0].what, catSeconds,
              kRecords * kBusRecordBytes / 1e6 / catSeconds, results[0].c_str());
  for (size_t m = 1; m < measurements.size(); ++m) {
    std::printf("%-50s %7.3f s  %5.2f x cat  %s\n", measurements[m].what, measurements[m].best,
                measurements[m].best / catSeconds, results[m].c_str());
  }
  return 0;
}
