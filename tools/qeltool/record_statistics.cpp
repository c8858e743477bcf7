#include "tools/qeltool/record_statistics.h"

#include <cstdio>
#include <vector>

#include "files/data_file.h"
#include "files/record_blocks.h"
#include "files/record_clock.h"

namespace {

constexpr uint64_t kProgressEveryBytes = 64u << 20;

TimeTag timeTagAt(const unsigned char* record) { return timeTagOf(busRecordFromBytes(record)); }

// A field beyond what a clock counts to: the day (or its part below the hundreds) out of range,
// an hour, minute, second, millisecond or half microsecond too many.
bool impossibleTimeTag(uint32_t longword0, uint32_t longword1) {
  const unsigned dayLow = fieldValue(longword0, tagfield::kDayLow);
  const unsigned day = 100u * fieldValue(longword0, tagfield::kDayHundreds) + dayLow;
  return day == 0 || day > 366 || dayLow >= 100 || fieldValue(longword0, tagfield::kHours) >= 24 ||
         fieldValue(longword0, tagfield::kMinutes) >= 60 || fieldValue(longword0, tagfield::kSeconds) >= 60 ||
         fieldValue(longword1, tagfield::kMilliseconds) >= 1000 ||
         fieldValue(longword1, tagfield::kHalfMicros) >= 2 * 1000;
}

void checkTimeTag(RecordStatistics& s, uint32_t longword0, uint32_t longword1) {
  ++s.timeTagsChecked;
  if (impossibleTimeTag(longword0, longword1)) ++s.impossibleTimeTags;
}

// Whether the record at this position of its block (from 0) has its time tag checked: every one in
// the first block, the first and last of a later one (the last of a file's short last block is
// checked at the end).
bool checkedInBlock(uint64_t line, uint64_t position) {
  return line <= kIndexBlockRecords || position == 0 || position == kIndexBlockRecords - 1;
}

}  // namespace

StatusCode gatherRecordStatistics(const std::string& path, RecordStatistics& statistics,
                                  const std::function<void(uint64_t bytesRead)>& onProgress) {
  statistics = RecordStatistics{};
  uint64_t nextProgress = kProgressEveryBytes;
  const ScanProgress progress = [&](uint64_t bytesRead, uint64_t) {
    if (onProgress && bytesRead >= nextProgress) {
      onProgress(bytesRead);
      nextProgress += kProgressEveryBytes;
    }
  };
  // Read to the file's size at opening; a file cut short under the pass ends it with FileReadError.
  RecordBlockReader reader;
  if (!openRecordBlocks(reader, path, kRecordBlockBytes, &progress)) return StatusCode::FileOpenError;
  // Longword 2 bits 31-24 hold the channel, the sync and the error flags: one histogram of that
  // byte gives every word count. Four histograms in turn keep runs of equal bytes from waiting
  // on each other's increments.
  std::vector<uint64_t> histograms(4 * 256, 0);
  HalfMicrosClock clock;
  uint64_t previous = 0;
  uint64_t line = 0;
  uint64_t position = kIndexBlockRecords - 1;  // in its block, of the record last read
  const unsigned char* block = nullptr;
  size_t count;
  while ((count = nextRecordBlock(reader, block)) > 0) {
    if (line == 0) statistics.firstTag = timeTagAt(block);
    for (size_t i = 0; i < count; ++i) {
      const unsigned char* record = block + i * kBusRecordBytes;
      ++histograms[(i & 3u) * 256 + (recordLongword(record, 2) >> kFlagByteShift)];
      const uint64_t time = recordHalfMicros(clock, record);
      ++line;
      if (++position == kIndexBlockRecords) position = 0;
      if (checkedInBlock(line, position)) {
        checkTimeTag(statistics, recordLongword(record, 0), recordLongword(record, 1));
      }
      if (time > previous) {
        if (time - previous > statistics.largestStepHalfMicros && line != 1) {  // line 1 has no step
          statistics.largestStepHalfMicros = time - previous;
          statistics.largestStepLine = line;
        }
      } else if (time < previous) {
        if (statistics.backwardSteps++ == 0) statistics.firstBackwardLine = line;
      }
      previous = time;
    }
    statistics.lastTag = timeTagAt(block + (count - 1) * kBusRecordBytes);
  }
  const StatusCode read = closeRecordBlocks(reader);
  if (!ok(read)) {
    statistics = RecordStatistics{};
    return read;
  }

  for (unsigned byte = 0; byte < 256; ++byte) {
    const uint64_t words = histograms[byte] + histograms[256 + byte] + histograms[512 + byte] + histograms[768 + byte];
    const uint32_t lw2 = uint32_t{byte} << kFlagByteShift;
    const unsigned flags = fieldValue(lw2, busfield::kErrorFlags);
    statistics.channelWords[fieldValue(lw2, busfield::kBusChannel)] += words;
    if (fieldValue(lw2, busfield::kCommandSync) != 0) statistics.commandWords += words;
    if (flags == 0) statistics.errorFreeWords += words;
    for (unsigned flag = 0; flag < 4; ++flag) {
      if ((flags >> flag) & 1u) statistics.flagWords[flag] += words;
    }
  }
  // The last record of a later block that is not its first, when no block follows.
  if (!checkedInBlock(line, position)) {
    checkTimeTag(statistics, longword0Of(statistics.lastTag), longword1Of(statistics.lastTag));
  }
  statistics.records = line;
  // A stream has no size but the bytes it gave.
  statistics.bytes = reader.sizeAtOpen >= 0 ? static_cast<uint64_t>(reader.sizeAtOpen) : reader.bytesRead;
  statistics.dataWords = line - statistics.commandWords;
  return StatusCode::Success;
}

namespace {
TimeTag tagOfLongwords(const uint32_t longwords[3]) {
  return TimeTag{{static_cast<uint16_t>(longwords[0] >> 16), static_cast<uint16_t>(longwords[0] & 0xFFFFu),
                  static_cast<uint16_t>(longwords[1] >> 16), static_cast<uint16_t>(longwords[1] & 0xFFFFu)}};
}
}  // namespace

RecordStatistics statisticsFromEntries(const std::vector<BlockEntry>& entries, uint64_t bytes) {
  RecordStatistics s;
  s.bytes = bytes;
  uint64_t line = 0;  // records before the block
  for (size_t b = 0; b < entries.size(); ++b) {
    const BlockEntry& e = entries[b];
    for (unsigned k = 0; k < kRecordClasses; ++k) {
      s.channelWords[k >> 2] += e.classCounts[k];
      if ((k & 2u) != 0) s.commandWords += e.classCounts[k];
      if ((k & 1u) == 0) s.errorFreeWords += e.classCounts[k];
    }
    for (unsigned flag = 0; flag < 4; ++flag) s.flagWords[flag] += e.flagCounts[flag];
    // The step into the block from the record before it comes first, then those within it.
    if (b > 0) {
      const uint64_t time = entryFirstTime(e), previous = entryLastTime(entries[b - 1]);
      if (time > previous && time - previous > s.largestStepHalfMicros) {
        s.largestStepHalfMicros = time - previous;
        s.largestStepLine = line + 1;
      }
      if (time < previous && s.backwardSteps++ == 0) s.firstBackwardLine = line + 1;
    }
    if (e.maxStep > 0 && static_cast<uint64_t>(e.maxStep) > s.largestStepHalfMicros) {
      s.largestStepHalfMicros = static_cast<uint64_t>(e.maxStep);
      s.largestStepLine = line + e.maxStepAt + 1;
    }
    if (e.backwardSteps > 0 && s.backwardSteps == 0) s.firstBackwardLine = line + e.firstBackwardAt + 1;
    if (b > 0) {
      checkTimeTag(s, e.first[0], e.first[1]);
      if (e.records > 1) checkTimeTag(s, e.last[0], e.last[1]);
    }
    s.backwardSteps += e.backwardSteps;
    line += e.records;
  }
  s.records = line;
  s.dataWords = line - s.commandWords;
  if (!entries.empty()) {
    s.firstTag = tagOfLongwords(entries.front().first);
    s.lastTag = tagOfLongwords(entries.back().last);
  }
  return s;
}

StatusCode checkFirstBlockTimeTags(const std::string& path, const std::vector<BlockEntry>& entries,
                                   RecordStatistics& statistics) {
  if (entries.empty()) return StatusCode::Success;
  FILE* file = openDataFile(path.c_str(), "rb");
  if (file == nullptr) return StatusCode::FileOpenError;
  std::vector<unsigned char> block(size_t{entries.front().records} * kBusRecordBytes);
  const size_t got = readDataFileFully(file, block.data(), block.size());
  std::fclose(file);
  if (got != block.size()) return StatusCode::FileReadError;
  for (size_t at = 0; at < got; at += kBusRecordBytes) {
    checkTimeTag(statistics, recordLongword(block.data() + at, 0), recordLongword(block.data() + at, 1));
  }
  return StatusCode::Success;
}

std::string formatTimeTag(const TimeTag& tag) {
  char text[48];
  std::snprintf(text, sizeof text, "%.03u:%.02u:%.02u:%.02u.%.03u%.03u%c", dayOfYear(tag), hours(tag), minutes(tag),
                seconds(tag), milliseconds(tag), halfMicros(tag) / 2, (halfMicros(tag) & 1u) != 0 ? '5' : '0');
  return text;
}
