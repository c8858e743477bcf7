// The 1 GiB data file (67,108,864 records) the benchmarks share, made once and reused.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "files/bus_record.h"
#include "files/data_file.h"
#include "tests/support/record_oracles.h"

constexpr uint64_t kBenchRecords = 67108864;  // 1 GiB

// Traffic of the kind a recording holds: a command word and a few data words per message, about
// 20 us apart, on the four channels, with an occasional error flag.
inline bool makeBenchDataFile(const std::string& path) {
  FILE* file = openDataFile(path.c_str(), "wb");
  if (!file) return false;
  std::vector<unsigned char> block(65536 * kBusRecordBytes);
  uint64_t time = 2ull * 86400 * 1000000 * 123;  // day 123, in half microseconds
  uint32_t state = 1;
  bool written = true;
  for (uint64_t n = 0; n < kBenchRecords && written;) {
    size_t used = 0;
    for (; used < block.size() && n < kBenchRecords; used += kBusRecordBytes, ++n) {
      state = state * 1664525u + 1013904223u;
      time += 40 + (state >> 28);
      const uint64_t ms = time / 2000, s = ms / 1000;
      const unsigned day = static_cast<unsigned>(s / 86400 % 366);
      BusRecord r{};
      r.words[0] = static_cast<uint16_t>((day / 100) << 12 | (day % 100) << 5 | (s / 3600 % 24));
      r.words[1] = static_cast<uint16_t>((s / 60 % 60) << 6 | s % 60);
      r.words[2] = static_cast<uint16_t>(ms % 1000);
      r.words[3] = static_cast<uint16_t>(time % 2000);
      const unsigned command = n % 5 == 0 ? 1u : 0u;
      const unsigned errors = (state & 0xFF) == 7 ? (state >> 8) & 0xF : 0u;
      const uint32_t word = (state >> 4) & 0xFFFFFF;
      r.words[4] = static_cast<uint16_t>((n / 5 % 4) << 14 | command << 12 | errors << 8 | word >> 16);
      r.words[5] = static_cast<uint16_t>(word & 0xFFFF);
      busRecordToBytes(r, &block[used]);
    }
    written = std::fwrite(block.data(), 1, used, file) == used;
  }
  return std::fclose(file) == 0 && written;
}

// The file named by argv[1], VARNOTEK_BENCH_FILE or /tmp/varnotek-bench/bench.qel, made when it
// is missing or has another size. Empty when it cannot be made.
inline std::string benchDataFile(int argc, char** argv) {
  std::string path = "/tmp/varnotek-bench/bench.qel";
  if (const char* env = std::getenv("VARNOTEK_BENCH_FILE")) path = env;
  if (argc > 1) path = argv[1];
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  std::error_code ignored;
  if (!folder.empty()) std::filesystem::create_directories(folder, ignored);
  if (std::filesystem::file_size(path, ignored) == kBenchRecords * kBusRecordBytes) {
    std::printf("reusing %s\n", path.c_str());
    return path;
  }
  std::printf("making %s (%llu records)...\n", path.c_str(), static_cast<unsigned long long>(kBenchRecords));
  if (makeBenchDataFile(path)) return path;
  std::printf("cannot write %s\n", path.c_str());
  return std::string();
}
