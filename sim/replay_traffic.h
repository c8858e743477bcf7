// Bus traffic taken from the records of a data file: each record's bus word, channel, sync and
// error flags arrive in file order, spaced as their time tags are (counted from the first
// record; a tag earlier than its predecessor arrives together with it). After the last record
// the bus falls silent.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "sim/traffic_generator.h"

struct ReplayTraffic {
  std::string path;
  std::unique_ptr<FILE, int (*)(FILE*)> file{nullptr, &std::fclose};
  std::vector<unsigned char> buffer;  // records read ahead
  size_t filled = 0;                  // bytes in buffer
  size_t position = 0;                // next record's byte in buffer
  bool haveFirst = false;
  uint64_t firstTag = 0;              // half-microsecond form of the first record's tag
  uint64_t lastArrival = 0;
  BusWordEvent next;
};

// Opens the data file and starts from its first record; false when it cannot be opened.
bool openReplayTraffic(ReplayTraffic& replay, const std::string& path);

// Starts again from the first record.
void rewindReplayTraffic(ReplayTraffic& replay);

inline const BusWordEvent& peekReplayWord(const ReplayTraffic& replay) { return replay.next; }

// Takes the next word (arrival kNoMoreTraffic once the file is exhausted).
BusWordEvent nextReplayWord(ReplayTraffic& replay);
