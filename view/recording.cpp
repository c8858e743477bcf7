#include "view/recording.h"

#include <algorithm>
#include <chrono>

#include "files/bus_record.h"
#include "files/record_clock.h"
#include "index/index_file.h"

namespace {

constexpr uint64_t kCatchUpChunkBlocks = 16;

int64_t steadyNanos() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

uint64_t recordTime(const unsigned char* record) {
  HalfMicrosClock clock;
  return recordHalfMicros(clock, record);
}

void resetRecording(Recording& r) {
  if (r.opened) closeDataFileSource(r.source);
  r.opened = false;
  r.records = 0;
  r.entries.clear();
  r.summarised = 0;
  r.savedIndexUsed = false;
  r.indexSaved = false;
  r.blockStart.clear();
  r.blockEnd.clear();
  r.breaks.clear();
  std::lock_guard<std::mutex> memo(r.memoLock);
  r.memos.clear();
}

// Recomputes the recorded-time map from block fromBlock on.
void extendTimeMap(Recording& r, uint64_t fromBlock) {
  r.blockStart.resize(fromBlock);
  r.blockEnd.resize(fromBlock);
  while (!r.breaks.empty() && r.breaks.back().line > fromBlock * kIndexBlockRecords) r.breaks.pop_back();
  std::vector<unsigned char> bytes;
  for (uint64_t b = fromBlock; b < r.entries.size(); ++b) {
    const BlockEntry& e = r.entries[b];
    const uint64_t first = entryFirstTime(e);
    uint64_t start = 0;
    if (b > 0) {
      const uint64_t prevLast = entryLastTime(r.entries[b - 1]);
      start = r.blockEnd[b - 1];
      if (first >= prevLast && first - prevLast <= kBreakHalfMicros) {
        start += first - prevLast;
      } else {
        r.breaks.push_back(RecordingBreak{b * kIndexBlockRecords + 1, start, prevLast, first});
      }
    }
    uint64_t end = start + (entryLastTime(e) - first);
    if (e.backwardSteps > 0 || e.maxStep > static_cast<int64_t>(kBreakHalfMicros)) {
      // The block holds a break: walk its records.
      end = start;
      if (readRecords(r, b * kIndexBlockRecords, e.records, false, bytes)) {
        HalfMicrosClock clock;
        uint64_t previous = recordHalfMicros(clock, bytes.data());
        for (uint32_t i = 1; i < e.records; ++i) {
          const uint64_t t = recordHalfMicros(clock, bytes.data() + size_t{i} * kBusRecordBytes);
          if (t >= previous && t - previous <= kBreakHalfMicros) {
            end += t - previous;
          } else {
            r.breaks.push_back(RecordingBreak{b * kIndexBlockRecords + i + 1, end, previous, t});
          }
          previous = t;
        }
      }
    }
    r.blockStart.push_back(start);
    r.blockEnd.push_back(end);
  }
}

bool openRecording(Recording& r) {
  resetRecording(r);
  if (!openDataFileSource(r.path, r.source)) return false;
  r.opened = true;
  r.stamp = r.source.stamp;
  r.records = r.stamp.size / kBusRecordBytes;
  UsableIndex usable = loadUsableIndex(r.path, r.source);
  r.entries = std::move(usable.entries);
  for (const BlockEntry& e : r.entries) r.summarised += e.records;
  r.savedIndexUsed = usable.coversFile;
  r.indexSaved = usable.coversFile;
  extendTimeMap(r, 0);
  return true;
}

}  // namespace

bool readRecords(const Recording& r, uint64_t first, uint64_t count, bool withBefore, std::vector<unsigned char>& out) {
  const bool before = withBefore && first > 0;
  const uint64_t start = before ? first - 1 : first;
  const uint64_t total = count + (before ? 1 : 0);
  out.resize(static_cast<size_t>(total * kBusRecordBytes));
  SourceWindow window;
  size_t got = 0;
  // The source is shared by readers; a positioned read leaves nothing behind in it.
  const unsigned char* bytes = viewSourceBytes(const_cast<DataFileSource&>(r.source), window,
                                               start * kBusRecordBytes, out.size(), got);
  if (bytes != nullptr && got > 0) std::copy(bytes, bytes + got, out.begin());
  return got == out.size();
}

bool catchUpRecording(Recording& r, uint64_t maxBlocks, bool wait) {
  std::unique_lock<std::mutex> alone(r.catchingUp, std::defer_lock);
  if (wait) {
    alone.lock();
  } else if (!alone.try_lock()) {
    return false;
  }
  FileStamp now;
  const bool seen = fileStampOf(r.path, now);
  if (seen && r.opened && now.size == r.stamp.size && now.modifiedNanos == r.stamp.modifiedNanos &&
      r.summarised == r.records) {
    return true;
  }
  {
    std::unique_lock<std::shared_mutex> writing(r.lock);
    if (!seen) {
      resetRecording(r);
      r.generation++;
      return false;
    }
    if (!r.opened || now.size < r.stamp.size ||
        (now.size == r.stamp.size && now.modifiedNanos != r.stamp.modifiedNanos)) {
      // New, shrunk or rewritten: from the start.
      const bool opened = openRecording(r);
      r.generation++;
      if (!opened) return false;
    } else if (now.size != r.stamp.size || now.modifiedNanos != r.stamp.modifiedNanos) {
      // Grown: reopened, so that reads reach the new end.
      DataFileSource grown;
      if (!openDataFileSource(r.path, grown)) return false;
      closeDataFileSource(r.source);
      r.source = grown;
      r.stamp = grown.stamp;
      r.records = r.stamp.size / kBusRecordBytes;
      r.lastGrowthNanos = steadyNanos();
      r.indexSaved = false;
      r.generation++;
    }
  }
  // Only this catch-up changes the source, the entries and the counts, so it reads them unlocked.
  const uint64_t limit = std::min(r.records, (r.summarised / kIndexBlockRecords + maxBlocks) * kIndexBlockRecords);
  std::vector<unsigned char> bytes;
  while (r.summarised < limit) {
    const uint64_t fromBlock = r.summarised / kIndexBlockRecords;
    const uint64_t count = std::min(limit - r.summarised, kCatchUpChunkBlocks * kIndexBlockRecords);
    if (!readRecords(r, r.summarised, count, false, bytes)) break;
    // The last entry when it is short, and the new ones, made aside.
    std::vector<BlockEntry> tail;
    const bool shortLast = r.summarised % kIndexBlockRecords != 0;
    if (shortLast) tail.push_back(r.entries.back());
    addRecordsToEntries(tail, bytes.data(), static_cast<size_t>(count));
    std::unique_lock<std::shared_mutex> writing(r.lock);
    if (shortLast) r.entries.pop_back();
    r.entries.insert(r.entries.end(), tail.begin(), tail.end());
    r.summarised += count;
    extendTimeMap(r, fromBlock);
    r.generation++;
  }
  const bool complete = r.summarised == r.records;
  if (complete && !r.indexSaved && !recordingGrowing(r) && !r.entries.empty()) {
    // An index that cannot be written changes nothing; it is not tried again until the file changes.
    std::shared_lock<std::shared_mutex> reading(r.lock);
    saveBlockIndex(r.path, r.source, r.entries);
    r.indexSaved = true;
  }
  return complete;
}

bool recordingGrowing(const Recording& r) {
  return r.lastGrowthNanos != 0 && steadyNanos() - r.lastGrowthNanos < 2000000000;
}

uint64_t recordedEnd(const Recording& r) { return r.blockEnd.empty() ? 0 : r.blockEnd.back(); }

uint64_t firstTimeTag(const Recording& r) { return r.entries.empty() ? 0 : entryFirstTime(r.entries.front()); }

uint64_t timeTagAtRecorded(const Recording& r, uint64_t recorded) {
  auto after = std::upper_bound(r.breaks.begin(), r.breaks.end(), recorded,
                                [](uint64_t t, const RecordingBreak& b) { return t < b.atHalfMicros; });
  if (after == r.breaks.begin()) return firstTimeTag(r) + recorded;
  const RecordingBreak& last = *(after - 1);
  return last.toHalfMicros + (recorded - last.atHalfMicros);
}

bool recordedTimeOfRecord(const Recording& r, uint64_t index, uint64_t& recorded) {
  const uint64_t b = index / kIndexBlockRecords;
  if (b >= r.entries.size()) return false;
  const BlockEntry& e = r.entries[b];
  const uint64_t first = b * kIndexBlockRecords;
  std::vector<unsigned char> bytes;
  const bool walk = e.backwardSteps > 0 || e.maxStep > static_cast<int64_t>(kBreakHalfMicros);
  if (!walk) {
    if (!readRecords(r, index, 1, false, bytes)) return false;
    recorded = r.blockStart[b] + (recordTime(bytes.data()) - entryFirstTime(e));
    return true;
  }
  if (!readRecords(r, first, index - first + 1, false, bytes)) return false;
  HalfMicrosClock clock;
  uint64_t previous = recordHalfMicros(clock, bytes.data());
  recorded = r.blockStart[b];
  for (uint64_t i = 1; i <= index - first; ++i) {
    const uint64_t t = recordHalfMicros(clock, bytes.data() + i * kBusRecordBytes);
    if (t >= previous && t - previous <= kBreakHalfMicros) recorded += t - previous;
    previous = t;
  }
  return true;
}

uint64_t recordAtRecorded(const Recording& r, uint64_t recorded) {
  if (r.blockStart.empty()) return r.summarised;
  const auto after = std::upper_bound(r.blockStart.begin(), r.blockStart.end(), recorded);
  if (after == r.blockStart.begin()) return 0;
  const uint64_t b = static_cast<uint64_t>(after - r.blockStart.begin()) - 1;
  if (recorded > r.blockEnd[b]) return std::min(r.summarised, (b + 1) * kIndexBlockRecords);
  std::vector<unsigned char> bytes;
  const BlockEntry& e = r.entries[b];
  if (!readRecords(r, b * kIndexBlockRecords, e.records, false, bytes)) return b * kIndexBlockRecords;
  HalfMicrosClock clock;
  uint64_t previous = recordHalfMicros(clock, bytes.data());
  uint64_t at = r.blockStart[b];
  for (uint32_t i = 0; i < e.records; ++i) {
    const uint64_t t = recordHalfMicros(clock, bytes.data() + size_t{i} * kBusRecordBytes);
    if (i > 0 && t >= previous && t - previous <= kBreakHalfMicros) at += t - previous;
    previous = t;
    if (at >= recorded) return b * kIndexBlockRecords + i;
  }
  return (b + 1) * kIndexBlockRecords;
}
