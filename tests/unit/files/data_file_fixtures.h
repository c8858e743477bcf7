// Temporary folders, data files and records for the files tests.
#pragma once
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "files/bus_record.h"
#include "tests/support/record_oracles.h"

// A fresh folder under /tmp, removed with everything in it at the end of the test.
struct TempFolder {
  std::string path;
  TempFolder() {
    char name[] = "/tmp/varnotek-files-XXXXXX";
    path = mkdtemp(name) ? name : "";
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
  std::string file(const std::string& name) const { return path + "/" + name; }
};

using Bytes = std::vector<unsigned char>;

inline void writeBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

inline Bytes readBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline std::string readText(const std::string& path) {
  const Bytes bytes = readBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

// The time tag that lies `count` half microseconds after the start of day 0.
inline TimeTag tagFromHalfMicros(uint64_t count) {
  const uint64_t ms = count / 2000, s = ms / 1000, day = s / 86400;
  return TimeTag{{static_cast<uint16_t>(((day / 100) << 12) | ((day % 100) << 5) | (s / 3600 % 24)),
                  static_cast<uint16_t>(((s / 60 % 60) << 6) | (s % 60)), static_cast<uint16_t>(ms % 1000),
                  static_cast<uint16_t>(count % 2000)}};
}

inline BusRecord makeRecord(const TimeTag& tag, unsigned channel, unsigned sync, unsigned flags, uint32_t word) {
  return BusRecord{{tag.words[0], tag.words[1], tag.words[2], tag.words[3],
                    static_cast<uint16_t>(channel << 14 | sync << 12 | flags << 8 | (word >> 16)),
                    static_cast<uint16_t>(word & 0xFFFF), 0, 0}};
}

inline Bytes bytesOf(const std::vector<BusRecord>& records) {
  Bytes bytes(records.size() * kBusRecordBytes);
  for (size_t i = 0; i < records.size(); ++i) busRecordToBytes(records[i], &bytes[i * kBusRecordBytes]);
  return bytes;
}

// Day 123, 04:05:06, 7 ms and the given half microseconds.
inline TimeTag exampleTag(unsigned halfMicros) { return TimeTag{{0x12E4, 0x0146, 0x0007, uint16_t(halfMicros)}}; }

// The documented example record: day 123 04:05:06.0071005, J2, CMND, Py Sh, 9A5234.
inline Bytes exampleRecordBytes() {
  return {0x46, 0x01, 0xE4, 0x12, 0xC9, 0x00, 0x07, 0x00, 0x34, 0x52, 0x9A, 0x59, 0x00, 0x00, 0x00, 0x00};
}
