// What the tests and benchmarks add to the simulated card: a clock they step and data files of
// generated traffic written in one call.
#pragma once
#include <cstdint>

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

// Creates (or empties) the file and writes the first recordCount words of the traffic (none for a
// silent bus), as the simulated card stores them when its clock was loaded with `start` at the
// moment capture started. FileOpenError when the file cannot be created, FileWriteError when a
// write comes up short.
StatusCode writeGeneratedRecords(const char* path, const TrafficConfig& traffic, uint64_t recordCount,
                                 const LocalTime& start);
