// A cut: a new data file of the selected records, byte for byte as the data file holds them, so
// that the seconds that matter can travel without the hours around them.
#pragma once
#include <cstdint>
#include <string>

#include "common/status_code.h"
#include "export/byte_sink.h"
#include "export/record_selection.h"

// FileOpenError or BusWordMissing as forEachSelectedRun, FileWriteError when the sink failed;
// records is the number copied.
StatusCode cutRecords(const std::string& path, const RecordSelection& selection, ByteSink sink, uint64_t& records,
                      const ScanProgress* progress = nullptr);
