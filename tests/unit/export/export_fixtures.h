// An in-memory sink and time units for the export tests.
#pragma once
#include <string>
#include <vector>

#include "export/byte_sink.h"
#include "tests/support/test_records.h"

inline ByteSink memorySink(Bytes& into) {
  return ByteSink{[&into](const unsigned char* bytes, size_t count) {
    into.insert(into.end(), bytes, bytes + count);
    return true;
  }};
}

constexpr uint64_t kHalfMicrosPerSecond = 2000000;
constexpr uint64_t kHalfMicrosPerDay = 86400 * kHalfMicrosPerSecond;
