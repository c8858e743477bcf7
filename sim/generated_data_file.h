// A data file of generated bus traffic, made without running the card model: the records the
// simulated card stores when its clock was loaded with `start` at the moment capture started
// (the recorder's load-time and start-capture commands), word for word and byte for byte.
#pragma once
#include <cstdint>

#include "common/local_time.h"
#include "common/status_code.h"
#include "sim/traffic_generator.h"

// Creates (or empties) the file and writes the first recordCount words of the traffic (none for a
// silent bus). FileOpenError when the file cannot be created, FileWriteError when a write
// comes up short.
StatusCode writeGeneratedRecords(const char* path, const TrafficConfig& traffic, uint64_t recordCount,
                                 const LocalTime& start);

// The same records into memory: up to count records of 16 bytes from the generator's current
// position, tagged from `start`. Returns how many were made (fewer only for a silent bus).
uint64_t generateRecords(TrafficGenerator& generator, const LocalTime& start, uint64_t count, unsigned char* out);
