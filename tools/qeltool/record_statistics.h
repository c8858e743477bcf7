// The figures of qeltool stats, gathered in one sequential pass over a data file.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/status_code.h"
#include "files/bus_record.h"
#include "index/block_entry.h"

struct RecordStatistics {
  uint64_t bytes = 0;             // the file's size
  uint64_t records = 0;           // whole records
  uint64_t channelWords[4] = {};  // J1 to J4
  uint64_t commandWords = 0;      // CMND
  uint64_t dataWords = 0;         // DATA
  uint64_t errorFreeWords = 0;
  uint64_t flagWords[4] = {};  // words with Sh, Lg, Mn, Py set, by errorFlags bit
  TimeTag firstTag{};          // of record 1
  TimeTag lastTag{};           // of the last record
  // The largest step forward between the time tags of two consecutive records, in half
  // microseconds, and the line of the later one (0 when no tag ever moves forward).
  uint64_t largestStepHalfMicros = 0;
  uint64_t largestStepLine = 0;
  // How many records have a time tag earlier than the record before them.
  uint64_t backwardSteps = 0;
  uint64_t firstBackwardLine = 0;
  // Of the time tags checked, those no clock can give: minute or second 60 or more, hour 24 or
  // more, milliseconds 1000 or more, day 0 or above 366. Checked are every record of the first
  // index block and the first and last record of every later one, the same records whether the
  // figures come from a full read or from the saved index.
  uint64_t timeTagsChecked = 0;
  uint64_t impossibleTimeTags = 0;
};

// Most time tags checked are impossible: "this does not look like a data file".
inline bool mostTimeTagsImpossible(const RecordStatistics& s) { return 2 * s.impossibleTimeTags > s.timeTagsChecked; }

// Reads the file once, front to back, in large blocks, to its size at opening (a stream to its
// end). onProgress (when set) is called now and then with the bytes read so far. FileOpenError
// when the file cannot be opened, FileReadError (no figures) when it is cut short or a read fails.
StatusCode gatherRecordStatistics(const std::string& path, RecordStatistics& statistics,
                                  const std::function<void(uint64_t bytesRead)>& onProgress);

// The same figures from the entries of the file's whole saved index (every block from the first),
// read nowhere else; bytes is the file's size. The time tags of the first block are then checked
// by checkFirstBlockTimeTags, which reads that block of the file (FileOpenError, FileReadError).
RecordStatistics statisticsFromEntries(const std::vector<BlockEntry>& entries, uint64_t bytes);
StatusCode checkFirstBlockTimeTags(const std::string& path, const std::vector<BlockEntry>& entries,
                                   RecordStatistics& statistics);

// A time tag as the report's TIME column shows it: DDD:HH:MM:SS.fffffff.
std::string formatTimeTag(const TimeTag& tag);
