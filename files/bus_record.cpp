#include "files/bus_record.h"

BusRecord busRecordFromBytes(const unsigned char* bytes) {
  BusRecord record;
  for (int i = 0; i < 8; ++i) {
    // Unit i of the file is record word i XOR 1.
    record.words[i ^ 1] = static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  return record;
}

uint64_t timeTagHalfMicrosExact(const TimeTag& tag) {
  return longword0HalfMicros(longword0Of(tag)) + longword1HalfMicros(longword1Of(tag));
}
