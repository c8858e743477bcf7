// Records of generated bus traffic, made without running the card model: the records the
// simulated card stores when its clock was loaded with `start` at the moment capture started
// (the recorder's load-time and start-capture commands), word for word and byte for byte.
#pragma once
#include <cstdint>

#include "common/local_time.h"
#include "sim/traffic_generator.h"

// Up to count records of 16 bytes from the generator's current position, tagged from `start`.
// Returns how many were made (fewer only for a silent bus).
uint64_t generateRecords(TrafficGenerator& generator, const LocalTime& start, uint64_t count, unsigned char* out);
