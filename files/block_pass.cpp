#include "files/block_pass.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "files/bus_record.h"

namespace {

constexpr uint64_t kRunBytes = 1u << 20;  // a buffer of this size for each thread

uint64_t runBlocksFor(const PassOptions& options) {
  if (options.runBlocks > 0) return options.runBlocks;
  return std::max<uint64_t>(1, kRunBytes / (options.blockRecords * kBusRecordBytes));
}

std::vector<BlockRun> runsOf(const std::vector<BlockRange>& ranges, uint64_t blocksInFile, uint64_t runBlocks) {
  std::vector<BlockRun> runs;
  for (const BlockRange& range : ranges) {
    const uint64_t end = std::min(range.first + range.count, blocksInFile);
    for (uint64_t block = range.first; block < end; block += runBlocks) {
      BlockRun run;
      run.firstBlock = block;
      run.blocks = std::min(runBlocks, end - block);
      runs.push_back(run);
    }
  }
  return runs;
}

// What the threads of one pass share; every field but runs is guarded by the mutex.
struct PassShared {
  std::mutex mutex;
  std::condition_variable changed;
  size_t consumed = 0;           // runs consumed so far
  std::vector<size_t> finished;  // for each slot, 1 + the run whose work finished in it
  bool stop = false;
};

}  // namespace

unsigned passThreads(const PassOptions& options) {
  if (options.threads > 0) return options.threads >= 2 ? 2 : 1;
  const unsigned cores = std::thread::hardware_concurrency();
  return cores >= 2 ? 2 : 1;
}

unsigned passSlots(const PassOptions& options) { return 2 * passThreads(options); }

StatusCode runBlockPass(DataFileSource& source, const std::vector<BlockRange>& ranges, const PassOptions& options,
                  const RunWork& work, const RunConsume& consume) {
  const uint64_t totalRecords = source.stamp.size / kBusRecordBytes;
  const uint64_t blockRecords = options.blockRecords;
  const uint64_t blocksInFile = (totalRecords + blockRecords - 1) / blockRecords;
  std::vector<BlockRun> runs = runsOf(ranges, blocksInFile, runBlocksFor(options));
  if (runs.empty()) return StatusCode::Success;
  const unsigned slots = passSlots(options);
  unsigned threads = std::min<unsigned>(passThreads(options), static_cast<unsigned>(runs.size()));

  // Reads run i into the window and does its work; the run's record count stays in runs[i].
  auto doRun = [&](SourceWindow& window, size_t i) {
    BlockRun& run = runs[i];
    const uint64_t firstRecord = run.firstBlock * blockRecords;
    const uint64_t promised = std::min(run.blocks * blockRecords, totalRecords - firstRecord);
    const uint64_t lead = firstRecord > 0 ? kBusRecordBytes : 0;
    size_t got = 0;
    const unsigned char* bytes = viewSourceBytes(source, window, firstRecord * kBusRecordBytes - lead,
                                                 static_cast<size_t>(promised * kBusRecordBytes + lead), got);
    run.before = lead > 0 && got >= lead ? bytes : nullptr;
    run.records = got >= lead ? bytes + lead : nullptr;
    run.recordCount = got >= lead ? (got - lead) / kBusRecordBytes : 0;
    run.shortRead = run.recordCount < promised;
    work(static_cast<unsigned>(i % slots), run);
    run.records = nullptr;
    run.before = nullptr;
  };

  PassShared shared;
  shared.finished.assign(slots, 0);
  std::vector<SourceWindow> windows(threads);

  auto helper = [&](unsigned t) {
    for (size_t i = t; i < runs.size(); i += threads) {
      {
        std::unique_lock<std::mutex> lock(shared.mutex);
        shared.changed.wait(lock, [&] { return shared.stop || i < shared.consumed + slots; });
        if (shared.stop) break;
      }
      doRun(windows[t], i);
      {
        const std::lock_guard<std::mutex> lock(shared.mutex);
        shared.finished[i % slots] = i + 1;
      }
      shared.changed.notify_all();
    }
  };
  std::vector<std::thread> helpers;
  if (threads == 2) {
    try {
      helpers.emplace_back(helper, 1u);
    } catch (const std::system_error&) {
      threads = 1;  // no second thread to be had (none runs yet): this one does every run
    }
  }

  bool shortRead = false;
  for (size_t i = 0; i < runs.size(); ++i) {
    if (i % threads == 0) {
      doRun(windows[0], i);
    } else {
      std::unique_lock<std::mutex> lock(shared.mutex);
      shared.changed.wait(lock, [&] { return shared.finished[i % slots] == i + 1; });
    }
    shortRead = runs[i].shortRead;
    const bool more = consume(static_cast<unsigned>(i % slots), runs[i]) && !shortRead;
    {
      const std::lock_guard<std::mutex> lock(shared.mutex);
      shared.consumed = i + 1;
      shared.stop = !more;
    }
    shared.changed.notify_all();
    if (!more) break;
  }
  {
    const std::lock_guard<std::mutex> lock(shared.mutex);
    shared.stop = true;
  }
  shared.changed.notify_all();
  for (std::thread& thread : helpers) thread.join();
  return shortRead ? StatusCode::FileReadError : StatusCode::Success;
}
