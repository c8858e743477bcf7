// Data files and an in-memory sink for the export tests.
#pragma once
#include <string>
#include <vector>

#include "export/byte_sink.h"
#include "tests/unit/files/data_file_fixtures.h"

inline ByteSink memorySink(Bytes& into) {
  return ByteSink{[&into](const unsigned char* bytes, size_t count) {
    into.insert(into.end(), bytes, bytes + count);
    return true;
  }};
}

// A record `halfMicros` after the start of day 0.
inline BusRecord recordAt(uint64_t halfMicros, unsigned channel, unsigned sync, unsigned flags, uint32_t word) {
  return makeRecord(tagFromHalfMicros(halfMicros), channel, sync, flags, word);
}
