// One pass over chosen blocks of a data file, in file order: the reading and the work on each run
// of blocks spread over up to two threads, the results taken in file order on the calling thread.
// Memory stays the same whatever the file's size: a run's bytes at a time for each thread.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "common/status_code.h"
#include "files/data_file_source.h"

// Blocks first to first + count - 1; block b holds records b x blockRecords onwards.
struct BlockRange {
  uint64_t first = 0;
  uint64_t count = 0;
};

struct PassOptions {
  uint64_t blockRecords = 16384;
  unsigned threads = 0;     // 1 or 2; 0: one for each core, at most two
  uint64_t runBlocks = 0;   // blocks in one unit of work; 0: a run of about 1 MiB
};

// A run of consecutive blocks. records and before are valid only inside the work call.
struct BlockRun {
  uint64_t firstBlock = 0;
  uint64_t blocks = 0;
  const unsigned char* records = nullptr;  // its whole records
  uint64_t recordCount = 0;                // short of blocks x blockRecords only at the file's end
  const unsigned char* before = nullptr;   // the 16 bytes of the record before it; null at the start
  bool shortRead = false;                  // fewer records than the file's size promised: the pass ends here
};

// work(slot, run) leaves its results in the caller's slot; consume(slot, run) takes them.
using RunWork = std::function<void(unsigned slot, const BlockRun& run)>;
using RunConsume = std::function<bool(unsigned slot, const BlockRun& run)>;

unsigned passThreads(const PassOptions& options);
// How many result slots a pass with these options uses (slot numbers are below it).
unsigned passSlots(const PassOptions& options);

// Calls work for every run of the ranges (in order, blocks beyond the file left out), each on some
// thread, and consume for each run in file order on the calling thread. The pass ends after the
// last run, after a consume that returns false, or after a run with a short read (the file cut
// short under the pass, or a read that failed), which it reports as FileReadError once that run has
// been consumed; otherwise Success.
StatusCode runBlockPass(DataFileSource& source, const std::vector<BlockRange>& ranges, const PassOptions& options,
                  const RunWork& work, const RunConsume& consume);
