// The number of whole records in a data file.
#pragma once
#include <cstdint>
#include <string>

#include "common/status_code.h"

// N for a file of N whole records, whatever trailing fragment follows; constant time.
// A stream is read through. FileOpenError when the file cannot be opened, FileReadError when a
// read of a stream fails (count unchanged either way).
StatusCode countRecords(const std::string& path, uint64_t& count);
