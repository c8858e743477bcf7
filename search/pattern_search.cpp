#include "search/pattern_search.h"

#include <cmath>

#include "files/bus_record.h"
#include "search/record_blocks.h"
#include "search/scan_kernels.h"

bool recordMatches(const SearchSettings& settings, const BusRecord& record, double tCur, bool prevValid, double tPrev,
                   bool nextValid, double tNext) {
  const uint32_t dontCare = settings.dontCareMask;
  if ((busWord(record) | dontCare) != (dontCare | settings.oneMask)) return false;

  if (settings.syncChoice == SyncCmd && commandSync(record) == 0) return false;
  if (settings.syncChoice == SyncData && commandSync(record) == 1) return false;

  if (settings.errorChoice == NoErrors && errorFlags(record) != 0) return false;
  if (settings.errorChoice == WithErrors && errorFlags(record) == 0) return false;

  if (settings.busChoice != BusAny && static_cast<int32_t>(busChannel(record)) + 1 != settings.busChoice) {
    return false;
  }

  if (settings.gapMinEnabled != 0 || settings.gapMaxEnabled != 0) {
    double gap;
    if (settings.gapBefore != 0) {
      if (!prevValid) return false;
      gap = tCur - tPrev - GapOffsetMicros;
    } else {
      if (!nextValid) return false;
      gap = tNext - tCur - GapOffsetMicros;
    }
    if (settings.gapMinEnabled != 0 && !(gap >= settings.gapMin)) return false;
    if (settings.gapMaxEnabled != 0 && gap > settings.gapMax) return false;
  }
  return true;
}

StatusCode forEachMatch(const std::string& path, const SearchSettings& settings,
                        const std::function<bool(uint64_t line)>& onMatch, const ScanProgress* progress) {
  RecordBlockReader reader;
  if (!openRecordBlocks(reader, path, kRecordBlockBytes, progress)) return StatusCode::FileOpenError;
  const MatchPlan plan = makeMatchPlan(settings);
  MatchScanState state;
  const unsigned char* block = nullptr;
  size_t count;
  while ((count = nextRecordBlock(reader, block)) > 0) {
    if (!visitBlockMatches(plan, state, block, count, onMatch)) break;
  }
  closeRecordBlocks(reader);
  return StatusCode::Success;
}

StatusCode searchPattern(const std::string& path, SearchSettings& settings, const ScanProgress* progress) {
  settings.searchResult = 0.0;
  RecordBlockReader reader;
  if (!openRecordBlocks(reader, path, kRecordBlockBytes, progress)) return StatusCode::FileOpenError;
  const MatchPlan plan = makeMatchPlan(settings);

  // Find mode stops when the count of matches reaches the occurrence; an occurrence that is not a
  // whole number of at least 1 is never reached, as with an exact comparison.
  uint64_t stopAt = UINT64_MAX;
  const double occurrence = settings.occurrence;
  if (settings.searchMode == 0 && occurrence >= 1.0 && occurrence < 18446744073709551616.0 &&
      std::floor(occurrence) == occurrence) {
    stopAt = static_cast<uint64_t>(occurrence);
  }
  MatchScanState state;
  uint64_t matches = 0;
  uint64_t foundLine = 0;
  const unsigned char* block = nullptr;
  size_t count;
  while (foundLine == 0 && (count = nextRecordBlock(reader, block)) > 0) {
    const MatchScanState blockStart = state;
    const uint64_t inBlock = countBlockMatches(plan, state, block, count);
    if (inBlock < stopAt - matches) {
      matches += inBlock;
      continue;
    }
    // The wanted match lies in this block: go through it again, match by match.
    state = blockStart;
    visitBlockMatches(plan, state, block, count, [&](uint64_t line) {
      if (++matches != stopAt) return true;
      foundLine = line;
      return false;
    });
  }
  closeRecordBlocks(reader);

  if (settings.searchMode == 0) settings.searchResult = static_cast<double>(foundLine);
  if (settings.searchMode == 1) settings.searchResult = static_cast<double>(matches);
  return StatusCode::Success;
}
