// Running the built qeltool as a user would, and the small data files its tests run it on.
#pragma once
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "files/bus_record.h"

#ifndef QELTOOL_PATH
#error "QELTOOL_PATH must name the qeltool executable"
#endif

// A fresh folder under /tmp, removed with everything in it at the end of the test.
struct TempFolder {
  std::string path;
  TempFolder() {
    char name[] = "/tmp/qeltool-test-XXXXXX";
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

inline bool fileExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(path, ignored);
}

// A time tag the given number of half microseconds after the start of day 0.
inline TimeTag tagFromHalfMicros(uint64_t count) {
  const unsigned half = static_cast<unsigned>(count % 2000);
  const uint64_t ms = count / 2000;
  const unsigned milli = static_cast<unsigned>(ms % 1000);
  const uint64_t s = ms / 1000;
  const unsigned sec = static_cast<unsigned>(s % 60), min = static_cast<unsigned>(s / 60 % 60);
  const unsigned hour = static_cast<unsigned>(s / 3600 % 24), day = static_cast<unsigned>(s / 86400);
  TimeTag tag;
  tag.words[0] = static_cast<uint16_t>((day / 100) << 12 | (day % 100) << 5 | hour);
  tag.words[1] = static_cast<uint16_t>(min << 6 | sec);
  tag.words[2] = static_cast<uint16_t>(milli);
  tag.words[3] = static_cast<uint16_t>(half);
  return tag;
}

inline TimeTag tagFromMicros(uint64_t micros) { return tagFromHalfMicros(2 * micros); }

inline BusRecord makeRecord(const TimeTag& tag, unsigned channel, unsigned commandSync, unsigned errorFlags,
                            uint32_t busWord) {
  BusRecord record{};
  for (int i = 0; i < 4; ++i) record.words[i] = tag.words[i];
  record.words[4] = static_cast<uint16_t>(channel << 14 | commandSync << 12 | errorFlags << 8 | (busWord >> 16));
  record.words[5] = static_cast<uint16_t>(busWord & 0xFFFF);
  return record;
}

// The records in file order, then `trailing` bytes of a cut-off record.
inline void writeRecords(const std::string& path, const std::vector<BusRecord>& records, size_t trailing = 0) {
  Bytes bytes(records.size() * kBusRecordBytes + trailing, 0x5A);
  for (size_t i = 0; i < records.size(); ++i) busRecordToBytes(records[i], &bytes[i * kBusRecordBytes]);
  writeBytes(path, bytes);
}

// A text in single quotes for the shell.
inline std::string shellQuoted(const std::string& text) {
  std::string out = "'";
  for (const char c : text) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

struct ToolRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs "qeltool <arguments>" through the shell (arguments already quoted where needed), in
// workingFolder when given, with standard output and standard error captured.
inline ToolRun runQeltool(const std::string& arguments, const std::string& workingFolder = "",
                          const std::string& prefix = "") {
  TempFolder capture;
  const std::string outPath = capture.file("out"), errPath = capture.file("err");
  std::string command;
  if (!workingFolder.empty()) command += "cd " + shellQuoted(workingFolder) + " && ";
  command +=
      prefix + shellQuoted(QELTOOL_PATH) + " " + arguments + " >" + shellQuoted(outPath) + " 2>" + shellQuoted(errPath);
  const int status = std::system(command.c_str());
  ToolRun run;
  run.exitCode = (status != -1 && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
  run.out = readText(outPath);
  run.err = readText(errPath);
  return run;
}

inline std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}
