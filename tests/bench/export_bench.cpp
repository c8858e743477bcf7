// Export speed on a 1 GiB data file (67,108,864 records), beside `cat` on the same file.
//
// Usage: export_bench [data-file]   (or VARNOTEK_BENCH_FILE; default /tmp/varnotek-bench/bench.qel)
// The file is made once and reused, and read once before timing so that every pass, cat's
// included, reads it from the page cache. Prints CSV rows a second, Chapter 10 megabytes a second,
// the overview's time and a cut of one minute from the middle by time and by lines, each also as
// a multiple of cat's time. Outputs go to /dev/null, except the overview page (a few tens of KB).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench_data_file.h"
#include "export/chapter10_writer.h"
#include "export/csv_export.h"
#include "export/cut.h"
#include "export/overview_html.h"
#include "files/bus_record.h"

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double timeCat(const std::string& path) {
  const std::string command = "cat '" + path + "' > /dev/null";
  const auto start = std::chrono::steady_clock::now();
  if (std::system(command.c_str()) != 0) std::printf("cat failed\n");
  return secondsSince(start);
}

// The time tag of record `line` in microseconds, read from the file.
double microsAt(const std::string& path, uint64_t line) {
  FILE* file = openDataFile(path.c_str(), "rb");
  unsigned char bytes[kBusRecordBytes] = {};
  if (file == nullptr || !seekDataFile(file, static_cast<int64_t>((line - 1) * kBusRecordBytes), SEEK_SET) ||
      readDataFileFully(file, bytes, sizeof bytes) != sizeof bytes) {
    std::printf("cannot read record %llu\n", static_cast<unsigned long long>(line));
  }
  if (file != nullptr) std::fclose(file);
  return static_cast<double>(timeTagHalfMicrosExact(timeTagOf(busRecordFromBytes(bytes)))) / 2.0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path = benchDataFile(argc, argv);
  if (path.empty()) return 1;
  FILE* devNull = std::fopen("/dev/null", "wb");
  if (devNull == nullptr) return 1;
  const double mb = kBenchRecords * kBusRecordBytes / 1e6;
  timeCat(path);  // into the page cache
  const double cat = timeCat(path);
  std::printf("cat FILE > /dev/null:           %7.3f s  (%.0f MB/s)\n", cat, mb / cat);

  uint64_t rows = 0;
  auto start = std::chrono::steady_clock::now();
  StatusCode status = exportCsv(path, RecordSelection{}, StackFormat::Mdm, fileByteSink(devNull), rows);
  double took = secondsSince(start);
  std::printf("CSV export (MDM), to /dev/null: %7.3f s  %5.1f x cat  (%.1f million rows/s, status %d)\n", took,
              took / cat, rows / took / 1e6, static_cast<int>(status));

  uint64_t written = 0;
  const ByteSink counting{[&written, devNull](const unsigned char* bytes, size_t count) {
    written += count;
    return std::fwrite(bytes, 1, count, devNull) == count;
  }};
  Chapter10Counts counts;
  start = std::chrono::steady_clock::now();
  status = exportChapter10(path, RecordSelection{}, "bench.qel", counting, counts);
  took = secondsSince(start);
  std::printf("Chapter 10 export, to /dev/null: %6.3f s  %5.1f x cat  (%.0f MB/s of data file, %.0f MB written, "
              "%llu data and %llu time packets, status %d)\n",
              took, took / cat, mb / took, written / 1e6, static_cast<unsigned long long>(counts.dataPackets),
              static_cast<unsigned long long>(counts.timePackets), static_cast<int>(status));

  const std::string page = path + ".overview.html";
  FILE* pageFile = std::fopen(page.c_str(), "wb");
  start = std::chrono::steady_clock::now();
  uint64_t pageRecords = 0;
  status = pageFile != nullptr ? writeOverview(path, "bench.qel", fileByteSink(pageFile), pageRecords)
                               : StatusCode::FileOpenError;
  took = secondsSince(start);
  if (pageFile != nullptr) std::fclose(pageFile);
  std::error_code noSize;
  std::printf("overview:                        %6.3f s  %5.1f x cat  (a page of %llu bytes, status %d)\n", took,
              took / cat, static_cast<unsigned long long>(std::filesystem::file_size(page, noSize)),
              static_cast<int>(status));
  std::remove(page.c_str());

  // One minute of recorded time from the middle record on.
  RecordSelection window;
  window.timeWindow = true;
  window.fromTime = microsAt(path, kBenchRecords / 2);
  window.toTimeGiven = true;
  window.toTime = window.fromTime + 60e6;
  uint64_t copied = 0;
  start = std::chrono::steady_clock::now();
  status = cutRecords(path, window, fileByteSink(devNull), copied);
  took = secondsSince(start);
  std::printf("cut of one minute from the middle, by time:  %6.3f s  %5.2f x cat  (%llu records, status %d)\n", took,
              took / cat, static_cast<unsigned long long>(copied), static_cast<int>(status));
  RecordSelection lines;
  lines.from = kBenchRecords / 2;
  lines.lines = copied;
  start = std::chrono::steady_clock::now();
  status = cutRecords(path, lines, fileByteSink(devNull), copied);
  took = secondsSince(start);
  std::printf("the same records by lines:                   %6.3f s  %5.2f x cat  (status %d)\n", took, took / cat,
              static_cast<int>(status));
  std::fclose(devNull);
  return 0;
}
