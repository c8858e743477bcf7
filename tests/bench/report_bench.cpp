// Report and record-count speed on a 1 GiB data file (67,108,864 records).
//
// Usage: report_bench [data-file]   (or VARNOTEK_BENCH_FILE; default /tmp/varnotek-bench/bench.qel)
// The data file is made once and reused while it has the right size. Prints, for comparison with
// the disk: the time of `cat FILE > /dev/null`, Get File Size, the skip of a report to a record
// near the end, and the rate at which report lines are written.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "files/bus_record.h"
#include "files/data_file.h"
#include "files/record_count.h"
#include "files/report.h"
#include "bench_data_file.h"

namespace {

constexpr uint64_t kRecords = kBenchRecords;
constexpr int64_t kReportLines = 2000000;

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path = benchDataFile(argc, argv);
  if (path.empty()) return 1;

  auto start = std::chrono::steady_clock::now();
  const std::string cat = "cat '" + path + "' > /dev/null";
  const int catResult = std::system(cat.c_str());
  std::printf("cat FILE > /dev/null:        %8.3f s  (%.0f MB/s)%s\n", secondsSince(start),
              kRecords * kBusRecordBytes / 1e6 / secondsSince(start), catResult == 0 ? "" : "  [cat failed]");

  uint64_t count = 0;
  start = std::chrono::steady_clock::now();
  const StatusCode countStatus = countRecords(path, count);
  std::printf("countRecords:                %8.6f s  (%llu records, status %d)\n", secondsSince(start),
              static_cast<unsigned long long>(count), static_cast<int>(countStatus));

  std::error_code fileSizeError;
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  const std::string report = (folder.empty() ? std::string(".") : folder.string()) + "/QEL.TMP";
  const int64_t nearEnd = static_cast<int64_t>(kRecords) - 99;
  start = std::chrono::steady_clock::now();
  StatusCode status = writeReport(path, report, StackFormat::Mdm, nearEnd, 1);
  std::printf("report skip to From %lld, 1 line: %8.6f s  (status %d)\n", static_cast<long long>(nearEnd),
              secondsSince(start), static_cast<int>(status));

  struct Run {
    const char* what;
    StackFormat format;
    int64_t from;
    const char* to;
  };
  const Run runs[] = {
      {"MDM, From 1, to /dev/null", StackFormat::Mdm, 1, "/dev/null"},
      {"MDM, From 1, to QEL.TMP", StackFormat::Mdm, 1, nullptr},
      {"binary/hex, From 40000000, to QEL.TMP", StackFormat::BinaryHex, 40000000, nullptr},
  };
  for (const Run& run : runs) {
    const std::string out = run.to ? run.to : report;
    start = std::chrono::steady_clock::now();
    status = writeReport(path, out, run.format, run.from, kReportLines);
    const double seconds = secondsSince(start);
    std::printf("report %lld lines, %s: %.3f s  (%.0f lines/s, status %d)\n", static_cast<long long>(kReportLines),
                run.what, seconds, kReportLines / seconds, static_cast<int>(status));
  }
  std::printf("report file size after last run: %llu bytes\n",
              static_cast<unsigned long long>(std::filesystem::file_size(report, fileSizeError)));
  std::remove(report.c_str());
  return 0;
}
