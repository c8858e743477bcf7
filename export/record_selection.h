// Which records of a data file an export takes, chosen as the report, Find Nearest TTag and the
// pattern search choose them: a stretch of lines or a time window, and within it the records
// that meet the search criteria.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "common/status_code.h"
#include "files/scan_progress.h"
#include "search/search_settings.h"

struct RecordSelection {
  // The stretch: either lines from `from` (counted from 1), at most `lines` of them ...
  uint64_t from = 1;
  uint64_t lines = UINT64_MAX;
  // ... or a time window, in microseconds on the scale of find-time: from the first record in
  // file order at or after fromTime (the record Find Nearest TTag finds) up to, not including,
  // the first record after it whose time is later than toTime. Time that goes backwards inside
  // the window stays in it. A line range and a time window are not combined.
  bool timeWindow = false;
  double fromTime = 0.0;
  bool toTimeGiven = false;
  double toTime = 0.0;
  // Only the records of the stretch that match, decided as the pattern search decides them over
  // the whole file (a gap is measured to the record before or after, inside the stretch or not).
  bool criteriaGiven = false;
  SearchSettings criteria;
};

// Called with runs of consecutive selected records (16 bytes each, as in the file) and the line
// of the first; returning false ends the pass.
using SelectedRecords = std::function<bool(uint64_t firstLine, const unsigned char* records, size_t count)>;

// One pass over the selected records in file order. FileOpenError when the file cannot be opened,
// BusWordMissing when a line range starts more than one record past the end (as the report's From). A trailing
// fragment of fewer than 16 bytes is never a record. progress hears the bytes read up to where
// the pass stands, of the file's size.
StatusCode forEachSelectedRun(const std::string& path, const RecordSelection& selection,
                              const SelectedRecords& onRun, const ScanProgress* progress = nullptr);
