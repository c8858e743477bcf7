// What the tests and benchmarks add to the simulated card: a clock they step, resource items the
// card never has, and data files of generated traffic written in one call.
#pragma once
#include <cstdint>

#include "card/windriver_api.h"
#include "common/local_time.h"
#include "common/status_code.h"
#include "sim/sim_clock.h"
#include "sim/traffic_generator.h"

// A clock that moves only when told.
struct ManualClock final : SteadyClock {
  uint64_t now = 0;
  uint64_t nowNanoseconds() override { return now; }
  void advance(uint64_t nanoseconds) { now += nanoseconds; }
};

// An I/O port item, and an item of any kind with nothing else set.
inline WD_ITEMS simIoItem(uint32_t port = 0xE000) {
  WD_ITEMS item{};
  item.item = ITEM_IO;
  item.Mem.dwPhysicalAddr = port;
  item.Mem.dwBytes = 0x20;
  return item;
}

inline WD_ITEMS simItemOfKind(uint32_t kind) {
  WD_ITEMS item{};
  item.item = kind;
  return item;
}

// Creates (or empties) the file and writes the first recordCount words of the traffic (none for a
// silent bus), as the simulated card stores them when its clock was loaded with `start` at the
// moment capture started. FileOpenError when the file cannot be created, FileWriteError when a
// write comes up short.
StatusCode writeGeneratedRecords(const char* path, const TrafficConfig& traffic, uint64_t recordCount,
                                 const LocalTime& start);
