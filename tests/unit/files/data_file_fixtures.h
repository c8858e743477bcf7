// Temporary folders, data files and records for the files tests.
#pragma once
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "files/bus_record.h"

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
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return;
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

inline Bytes readBytes(const std::string& path) {
  Bytes bytes;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return bytes;
  int c;
  while ((c = std::fgetc(file)) != EOF) bytes.push_back(static_cast<unsigned char>(c));
  std::fclose(file);
  return bytes;
}

inline std::string readText(const std::string& path) {
  const Bytes bytes = readBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

// The time tag that lies the given number of half microseconds after the start of day 0.
inline TimeTag tagFromHalfMicros(uint64_t count) {
  const unsigned half = static_cast<unsigned>(count % 2000);
  uint64_t ms = count / 2000;
  const unsigned milli = static_cast<unsigned>(ms % 1000);
  uint64_t s = ms / 1000;
  const unsigned sec = static_cast<unsigned>(s % 60), min = static_cast<unsigned>(s / 60 % 60);
  const unsigned hour = static_cast<unsigned>(s / 3600 % 24), day = static_cast<unsigned>(s / 86400);
  TimeTag tag;
  tag.words[0] = static_cast<uint16_t>((day / 100) << 12 | (day % 100) << 5 | hour);
  tag.words[1] = static_cast<uint16_t>(min << 6 | sec);
  tag.words[2] = static_cast<uint16_t>(milli);
  tag.words[3] = static_cast<uint16_t>(half);
  return tag;
}

inline BusRecord makeRecord(const TimeTag& tag, unsigned channel, unsigned commandSync, unsigned errorFlags,
                            uint32_t busWord) {
  BusRecord record{};
  for (int i = 0; i < 4; ++i) record.words[i] = tag.words[i];
  record.words[4] = static_cast<uint16_t>(channel << 14 | commandSync << 12 | errorFlags << 8 | (busWord >> 16));
  record.words[5] = static_cast<uint16_t>(busWord & 0xFFFF);
  return record;
}

inline Bytes bytesOf(const std::vector<BusRecord>& records) {
  Bytes bytes(records.size() * kBusRecordBytes);
  for (size_t i = 0; i < records.size(); ++i) busRecordToBytes(records[i], &bytes[i * kBusRecordBytes]);
  return bytes;
}

// Day 123, 04:05:06, 7 ms and the given half microseconds.
inline TimeTag exampleTag(unsigned halfMicros) {
  return TimeTag{{0x12E4, 0x0146, 0x0007, static_cast<uint16_t>(halfMicros)}};
}

// The 16 bytes of the documented example record: day 123 04:05:06.0071005, J2, CMND, Py Sh, 9A5234.
inline Bytes exampleRecordBytes() {
  return {0x46, 0x01, 0xE4, 0x12, 0xC9, 0x00, 0x07, 0x00, 0x34, 0x52, 0x9A, 0x59, 0x00, 0x00, 0x00, 0x00};
}
