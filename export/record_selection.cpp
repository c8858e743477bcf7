#include "export/record_selection.h"

#include <cmath>
#include <cstring>

#include "files/bus_record.h"
#include "files/data_file.h"
#include "files/record_blocks.h"
#include "search/scan_kernels.h"
#include "search/time_search.h"

namespace {

// The records that are later than toTime: time in half microseconds above twice toTime.
uint64_t laterThanLimit(double toTime) {
  if (std::isnan(toTime) || toTime < 0.0) return 0;
  const double twice = std::floor(2.0 * toTime);
  if (twice >= 18446744073709551615.0) return UINT64_MAX;
  return static_cast<uint64_t>(twice);
}

// Where the stretch lies: lines first to end - 1; end is known at once for a line range and found
// while reading for a time window's end.
struct Stretch {
  uint64_t first = 1;
  uint64_t end = UINT64_MAX;
  bool endByTime = false;
  uint64_t laterThan = 0;  // with endByTime: a record whose time is above this ends the stretch
};

StatusCode findStretch(const std::string& path, const RecordSelection& selection, uint64_t recordsInFile,
                       Stretch& stretch, const ScanProgress* progress) {
  if (selection.timeWindow) {
    // The window's first record is the one Find Nearest TTag finds, searched for the same way.
    const StatusCode status = findTimeTag(path, selection.fromTime, stretch.first, progress);
    if (!ok(status)) return status;
    stretch.endByTime = selection.toTimeGiven;
    stretch.laterThan = laterThanLimit(selection.toTime);
    return StatusCode::Success;
  }
  stretch.first = selection.from < 1 ? 1 : selection.from;
  // As the report: From one past the last record shows nothing, further is an error.
  if (stretch.first - 1 > recordsInFile) return StatusCode::BusWordMissing;
  stretch.end = selection.lines > UINT64_MAX - stretch.first ? UINT64_MAX : stretch.first + selection.lines;
  return StatusCode::Success;
}

// The first line of the block, at or after `from`, whose record is later than the limit; 0 when none.
uint64_t firstLaterLine(HalfMicrosClock& clock, uint64_t limit, uint64_t blockLine, uint64_t from,
                        const unsigned char* block, size_t count) {
  for (size_t i = from > blockLine ? static_cast<size_t>(from - blockLine) : 0; i < count; ++i) {
    if (recordHalfMicros(clock, block + i * kBusRecordBytes) > limit) return blockLine + i;
  }
  return 0;
}

}  // namespace

StatusCode forEachSelectedRun(const std::string& path, const RecordSelection& selection,
                              const SelectedRecords& onRun, const ScanProgress* progress) {
  RecordBlockReader reader;
  if (!openRecordBlocks(reader, path, kRecordBlockBytes, progress)) return StatusCode::FileOpenError;
  const int64_t size = dataFileBytesLeft(reader.file);
  const uint64_t recordsInFile = size > 0 ? static_cast<uint64_t>(size) / kBusRecordBytes : 0;
  Stretch stretch;
  const StatusCode status = findStretch(path, selection, recordsInFile, stretch, progress);
  if (!ok(status)) {
    closeRecordBlocks(reader);
    return status;
  }

  // The criteria look at the record before the stretch too (the gap before its first record).
  const bool criteria = selection.criteriaGiven;
  const uint64_t readFrom = criteria && stretch.first > 1 ? stretch.first - 1 : stretch.first;
  // From the first record no seek is needed, so that a stream (a pipe, standard input) is read too.
  if (readFrom > 1 && !seekDataFile(reader.file, static_cast<int64_t>((readFrom - 1) * kBusRecordBytes), SEEK_SET)) {
    closeRecordBlocks(reader);
    return StatusCode::FileReadError;
  }
  reader.bytesRead = (readFrom - 1) * kBusRecordBytes;

  const MatchPlan plan = criteria ? makeMatchPlan(selection.criteria) : MatchPlan{};
  // With GAP_AFTER a record is decided only when the one after it is read.
  const uint64_t undecidedAtBlockEnd = criteria && plan.gap && plan.gapAfter ? 1 : 0;
  MatchScanState scan;
  scan.line = readFrom - 1;
  HalfMicrosClock clock;
  unsigned char previousLast[kBusRecordBytes] = {};  // the last record of the block before
  uint64_t blockLine = readFrom;                     // the line of the block's first record
  uint64_t endLine = stretch.end;                    // the first line past the stretch, once known
  bool going = true;
  const unsigned char* block = nullptr;
  size_t count;
  while (going && (count = nextRecordBlock(reader, block)) > 0) {
    if (stretch.endByTime && endLine == UINT64_MAX) {
      const uint64_t later = firstLaterLine(clock, stretch.laterThan, blockLine, stretch.first, block, count);
      if (later != 0) endLine = later;
    }
    const uint64_t blockEnd = blockLine + count;
    if (!criteria) {
      const uint64_t first = stretch.first > blockLine ? stretch.first : blockLine;
      const uint64_t last = endLine < blockEnd ? endLine : blockEnd;
      if (first < last) {
        going = onRun(first, block + (first - blockLine) * kBusRecordBytes, static_cast<size_t>(last - first));
      }
    } else {
      // The record decided may be the last one of the block before (GAP_AFTER). Lines past the
      // stretch are still stepped, so that its last record is decided by the one after it.
      visitBlockMatches(plan, scan, block, count, [&](uint64_t line) {
        if (line < stretch.first || line >= endLine) return true;
        const unsigned char* record =
            line >= blockLine ? block + (line - blockLine) * kBusRecordBytes : previousLast;
        going = onRun(line, record, 1);
        return going;
      });
      std::memcpy(previousLast, block + (count - 1) * kBusRecordBytes, kBusRecordBytes);
    }
    blockLine = blockEnd;
    // Every line before endLine decided: no later block can add to the selection.
    if (blockLine - undecidedAtBlockEnd >= endLine) break;
  }
  return closeRecordBlocks(reader);
}
