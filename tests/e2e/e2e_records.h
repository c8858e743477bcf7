// Crafted data files for the end-to-end tests.
#pragma once
#include <string>

#include "files/bus_record.h"
#include "tests/support/record_oracles.h"
#include "tests/support/test_records.h"

// count records 50 us apart from day 123 04:05:06; every third a command word with errors
// on J3.
inline Bytes craftedFile(int count) {
  std::vector<BusRecord> records;
  for (int i = 0; i < count; ++i) {
    const bool command = i % 3 == 0;
    records.push_back(testRecord({halfMicrosAt(123, 4, 5, 6) + 100u * i, 0x9A5234u + i, command ? 2u : 0u,
                                  command ? 1u : 0u, command ? kErrorPy | kErrorSh : 0u}));
  }
  return dataFileBytes(records);
}
