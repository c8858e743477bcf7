// What the fuzz targets over data files share besides their scratch files: parameters drawn from
// the input, search criteria made from them as the dialog would hand them over, and the searches
// checked against their record-by-record forms.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "files/bus_record.h"
#include "search/pattern_search.h"
#include "search/search_settings.h"
#include "search/time_search.h"
#include "tests/fuzz/fuzz_scratch.h"
#include "tests/support/record_oracles.h"

// The input's bytes in turn (repeated when it is short, 0 when empty).
struct ParameterBytes {
  const uint8_t* data;
  size_t size;
  size_t next = 0;
  uint8_t byte() { return size == 0 ? 0 : data[next++ % size]; }
  uint32_t word() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = (value << 8) | byte();
    return value;
  }
};

// A decoded, corrected 65-byte window of the input, with gap bounds often small enough to fall
// between real time tags.
inline SearchSettings settingsFrom(ParameterBytes& p) {
  unsigned char bytes[kSearchSettingsBytes];
  for (unsigned char& b : bytes) b = p.byte();
  SearchSettings settings;
  decodeSearchSettings(bytes, settings);
  correctSearchSettings(settings);
  const uint8_t gapChoice = p.byte();
  if (gapChoice & 1) settings.gapMin = p.byte() * ((gapChoice & 2) ? 1.0 : 1000.0);
  if (gapChoice & 4) settings.gapMax = p.byte() * ((gapChoice & 8) ? 1.0 : 1000.0);
  if (gapChoice & 16) {
    settings.dontCareMask = 0x00FFFFFF;
    settings.oneMask = 0;
  }
  const uint8_t occurrenceChoice = p.byte();
  if (occurrenceChoice < 200) settings.occurrence = 1.0 + occurrenceChoice % 20;
  return settings;
}

// One search over the data file at path, as the input chooses (every match, the count or the n-th
// match, or the time search for a record's time nudged by up to two microseconds either way),
// against the record-by-record forms over its records.
inline void checkSearch(const std::string& path, const std::vector<BusRecord>& records, ParameterBytes& p,
                        const ScanOptions& options) {
  SearchSettings settings = settingsFrom(p);
  std::vector<uint64_t> expected;  // the lines of every match
  for (size_t i = 0; i < records.size(); ++i) {
    const double now = timeTagMicros(timeTagOf(records[i]));
    const bool prevValid = i > 0, nextValid = i + 1 < records.size();
    const double before = prevValid ? timeTagMicros(timeTagOf(records[i - 1])) : 0.0;
    const double after = nextValid ? timeTagMicros(timeTagOf(records[i + 1])) : 0.0;
    if (recordMatches(settings, records[i], now, prevValid, before, nextValid, after)) expected.push_back(i + 1);
  }
  switch (p.byte() % 3) {
    case 0: {
      std::vector<uint64_t> visited;
      FUZZ_CHECK(forEachMatch(path, settings, [&](uint64_t line) {
                   visited.push_back(line);
                   return true;
                 }, options) == StatusCode::Success);
      FUZZ_CHECK(visited == expected);
      break;
    }
    case 1: {  // the count, or the line of the n-th match (0 when there are fewer)
      const bool count = (p.byte() & 1) != 0;
      const double n = settings.occurrence, matches = static_cast<double>(expected.size());
      const double wanted = count ? matches : n <= matches ? expected[static_cast<size_t>(n) - 1] : 0.0;
      settings.searchMode = count ? 1 : 0;
      FUZZ_CHECK(searchPattern(path, settings, options) == StatusCode::Success);
      FUZZ_CHECK(settings.searchResult == wanted);
      break;
    }
    default: {
      double target = 0.0;
      if (!records.empty()) {
        const BusRecord& record = records[p.word() % records.size()];
        target = timeTagMicros(timeTagOf(record)) + (static_cast<int>(p.byte() % 9) - 4) * 0.5;
      }
      uint64_t wanted = 1;  // the first record at or after the target
      while (wanted <= records.size() && timeTagMicros(timeTagOf(records[wanted - 1])) < target) ++wanted;
      uint64_t line = 0;
      FUZZ_CHECK(findTimeTag(path, target, line, options) == StatusCode::Success);
      FUZZ_CHECK(line == wanted);
      break;
    }
  }
}
