#include "files/bus_record.h"

void swapWordPairs(uint16_t words[8]) {
  for (int i = 0; i < 8; i += 2) {
    const uint16_t first = words[i];
    words[i] = words[i + 1];
    words[i + 1] = first;
  }
}

BusRecord busRecordFromBytes(const unsigned char* bytes) {
  BusRecord record;
  for (int i = 0; i < 8; ++i) {
    // Unit i of the file is record word i XOR 1.
    record.words[i ^ 1] = static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  return record;
}

void busRecordToBytes(const BusRecord& record, unsigned char* bytes) {
  for (int i = 0; i < 8; ++i) {
    const uint16_t unit = record.words[i ^ 1];
    bytes[2 * i] = static_cast<unsigned char>(unit & 0xFF);
    bytes[2 * i + 1] = static_cast<unsigned char>(unit >> 8);
  }
}

unsigned readBusRecord(FILE* file, BusRecord& record) {
  unsigned char bytes[kBusRecordBytes];
  const size_t got = std::fread(bytes, 1, sizeof bytes, file);
  const unsigned units = static_cast<unsigned>(got / 2);
  uint16_t fileUnits[8];
  for (int i = 0; i < 8; ++i) fileUnits[i] = record.words[i ^ 1];
  for (unsigned i = 0; i < units; ++i) {
    fileUnits[i] = static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  for (int i = 0; i < 8; ++i) record.words[i] = fileUnits[i];
  swapWordPairs(record.words);
  return units;
}

uint64_t timeTagHalfMicrosExact(const TimeTag& tag) {
  return longword0HalfMicros(longword0Of(tag)) + longword1HalfMicros(longword1Of(tag));
}

double timeTagHalfMicros(const TimeTag& tag) { return static_cast<double>(timeTagHalfMicrosExact(tag)); }

double timeTagMicros(const TimeTag& tag) { return timeTagHalfMicros(tag) * 0.5; }
