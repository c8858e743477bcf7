// One data file as the viewer holds it: the open file, the summary of every block (from the saved
// index, then from the data for the blocks it lacks and for what the file gains while it grows),
// and the map from records to recorded time.
//
// Recorded time is the overview's: the sum of the steps from each record's time tag to the next
// that go forward by at most an hour. A step backwards or more than an hour ahead is a time break:
// it is listed and adds nothing. The timeline's axis is recorded time in half microseconds from
// the first record; without breaks it is simply the time tag less that of the first record.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "files/data_file_source.h"
#include "files/file_stamp.h"
#include "index/block_entry.h"

struct RecordingBreak {
  uint64_t line = 0;        // the record after the break (from 1)
  uint64_t atHalfMicros = 0;  // where it falls on the recorded time
  uint64_t fromHalfMicros = 0;  // time tags before and after
  uint64_t toHalfMicros = 0;
};

// The matches of one set of criteria in each whole block, kept so that a count, a find or a
// timeline with the same criteria reads no block twice.
struct BlockMatchMemo {
  std::string criteria;         // the match plan as text
  std::vector<int64_t> counts;  // per block; -1 while not known
};

constexpr size_t kBlockMatchMemos = 4;  // the criteria most recently used

struct Recording {
  std::string name;  // relative to the opened folder, '/' between parts
  std::string path;
  // Held shared by every reader, alone by the catch-up while it changes what follows.
  mutable std::shared_mutex lock;
  // One catch-up at a time; it reads the new records before it takes the lock above.
  std::mutex catchingUp;
  DataFileSource source;
  FileStamp stamp;
  bool opened = false;
  uint64_t records = 0;                 // whole records in the file as last seen
  std::vector<BlockEntry> entries;      // blocks summarised so far, from the first
  uint64_t summarised = 0;              // records the entries cover
  bool savedIndexUsed = false;          // the saved index covered the file when opened
  bool indexSaved = false;              // the index was written beside the file (or was there)
  std::vector<uint64_t> blockStart;     // recorded time at each summarised block's first record
  std::vector<uint64_t> blockEnd;       // and at its last record
  std::vector<RecordingBreak> breaks;   // in file order
  int64_t lastGrowthNanos = 0;          // steady-clock time the file last grew, 0 never seen
  std::atomic<uint64_t> generation{0};  // counts every change of the entries
  // Filled by readers (under the shared lock and this mutex), cleared when the file is read anew.
  mutable std::mutex memoLock;
  mutable std::vector<BlockMatchMemo> memos;  // most recently used first
  // Held while blocks are read for the memo: a second request waits and then finds them there,
  // rather than reading the same blocks at the same time.
  mutable std::mutex memoFilling;
};

constexpr uint64_t kBreakHalfMicros = 3600ull * 2000000ull;  // a step ahead of more than an hour

// Opens the file (when not yet) and brings the summaries up to date with what it holds now:
// at most maxBlocks new blocks per call, so that a large file is caught up in steps, readers
// waiting only while each run of new entries is put in place. Returns whether the entries now
// cover every record. False also when the file cannot be opened. Unless wait, nothing is done
// while another catch-up of the recording is under way.
bool catchUpRecording(Recording& recording, uint64_t maxBlocks, bool wait = true);

// Figures a reader takes under the shared lock.
uint64_t recordedEnd(const Recording& recording);  // recorded time of the last summarised record
uint64_t firstTimeTag(const Recording& recording);
// The time tag at a recorded time (exact at every record's recorded time).
uint64_t timeTagAtRecorded(const Recording& recording, uint64_t recorded);

// Reads records [first, first + count) (from 0) into out, with the record before first when
// withBefore and first > 0 (then out starts with it). False on a short read.
bool readRecords(const Recording& recording, uint64_t first, uint64_t count, bool withBefore,
                 std::vector<unsigned char>& out);

// The recorded time of record index (from 0), read from its block where that block has breaks.
bool recordedTimeOfRecord(const Recording& recording, uint64_t index, uint64_t& recorded);

// The first record (from 0) whose recorded time is at or after `recorded`; records when none.
uint64_t recordAtRecorded(const Recording& recording, uint64_t recorded);

// Whether the file grew within the last two seconds.
bool recordingGrowing(const Recording& recording);
