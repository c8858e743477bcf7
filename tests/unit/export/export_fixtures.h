// An in-memory sink for the export tests.
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
