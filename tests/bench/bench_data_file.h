// The 1 GiB data file (67,108,864 records) the benchmarks share, made once and reused.
#pragma once
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "files/bus_record.h"
#include "files/data_file.h"
#include "tests/support/test_records.h"

constexpr uint64_t kBenchRecords = 67108864;  // 1 GiB

// Drops the file's pages from the page cache (written ones first flushed), so that the next read
// comes from the disk.
inline void dropPages(const std::string& path) {
  const int descriptor = open(path.c_str(), O_RDONLY);
  if (descriptor < 0) return;
  fdatasync(descriptor);
  if (posix_fadvise(descriptor, 0, 0, POSIX_FADV_DONTNEED) != 0) std::printf("posix_fadvise failed\n");
  close(descriptor);
}

// Traffic of the kind a recording holds: a command word and a few data words per message, about
// 20 us apart, on the four channels, with an occasional error flag.
inline bool makeBenchDataFile(const std::string& path, uint64_t records = kBenchRecords) {
  FILE* file = openDataFile(path.c_str(), "wb");
  if (!file) return false;
  std::vector<unsigned char> block(65536 * kBusRecordBytes);
  uint64_t time = halfMicrosAt(123, 0, 0, 0);
  uint32_t state = 1;
  bool written = true;
  for (uint64_t n = 0; n < records && written;) {
    size_t used = 0;
    for (; used < block.size() && n < records; used += kBusRecordBytes, ++n) {
      state = state * 1664525u + 1013904223u;
      time += 40 + (state >> 28);
      const unsigned command = n % 5 == 0 ? 1u : 0u;
      const unsigned errors = (state & 0xFF) == 7 ? (state >> 8) & 0xF : 0u;
      const unsigned channel = static_cast<unsigned>(n / 5 % 4);
      const BusRecord r = testRecord({time, (state >> 4) & 0xFFFFFF, channel, command, errors});
      testRecordBytes(r, &block[used]);
    }
    written = std::fwrite(block.data(), 1, used, file) == used;
  }
  return std::fclose(file) == 0 && written;
}

// The file named by argv[1], VARNOTEK_BENCH_FILE or /tmp/varnotek-bench/bench.qel, made when it
// is missing or has another size (of `records` records). Empty when it cannot be made.
inline std::string benchDataFile(int argc, char** argv, uint64_t records = kBenchRecords) {
  std::string path = "/tmp/varnotek-bench/bench.qel";
  if (const char* env = std::getenv("VARNOTEK_BENCH_FILE")) path = env;
  if (argc > 1) path = argv[1];
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  std::error_code ignored;
  if (!folder.empty()) std::filesystem::create_directories(folder, ignored);
  if (std::filesystem::file_size(path, ignored) == records * kBusRecordBytes) {
    std::printf("reusing %s\n", path.c_str());
    return path;
  }
  std::printf("making %s (%llu records)...\n", path.c_str(), static_cast<unsigned long long>(records));
  if (makeBenchDataFile(path, records)) return path;
  std::printf("cannot write %s\n", path.c_str());
  return std::string();
}
