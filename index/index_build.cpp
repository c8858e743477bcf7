#include "index/index_build.h"

#include <algorithm>
#include <cstring>

#include "files/bus_record.h"
#include "index/index_file.h"

namespace {

// Summarises every block of the open file in order and hands each to take (with its number) until
// take returns false. FileReadError when the file comes up short of its size at opening.
StatusCode summarizeEveryBlock(DataFileSource& source, const PassOptions& pass, const ScanProgress* progress,
                               const std::function<bool(uint64_t block, const BlockEntry& entry)>& take) {
  const uint64_t records = source.stamp.size / kBusRecordBytes;
  const uint64_t blocks = (records + kIndexBlockRecords - 1) / kIndexBlockRecords;
  PassOptions options = pass;
  options.blockRecords = kIndexBlockRecords;
  std::vector<std::vector<BlockEntry>> slots(passSlots(options));
  return runBlockPass(
      source, {BlockRange{0, blocks}}, options,
      [&](unsigned slot, const BlockRun& run) {
        std::vector<BlockEntry>& out = slots[slot];
        out.clear();
        for (uint64_t done = 0; done < run.recordCount; done += kIndexBlockRecords) {
          const size_t count = static_cast<size_t>(std::min(kIndexBlockRecords, run.recordCount - done));
          out.push_back(summarizeBlock(run.records + done * kBusRecordBytes, count));
        }
      },
      [&](unsigned slot, const BlockRun& run) {
        for (size_t k = 0; k < slots[slot].size(); ++k) {
          if (!take(run.firstBlock + k, slots[slot][k])) return false;
        }
        if (progress != nullptr && *progress) {
          const uint64_t passed = (run.firstBlock + run.blocks) * kIndexBlockRecords * kBusRecordBytes;
          (*progress)(std::min(passed, source.stamp.size), source.stamp.size);
        }
        return true;
      });
}

StatusCode makeIndex(const std::string& dataPath, IndexRefresh& refresh, const PassOptions& pass,
                     const ScanProgress* progress, const IndexWriter* writer, bool believeExisting) {
  refresh = IndexRefresh{};
  DataFileSource source;
  if (!openDataFileSource(dataPath, source)) return StatusCode::FileOpenError;
  if (!source.indexable) {
    closeDataFileSource(source);
    return StatusCode::IncorrectFileType;
  }
  refresh.fileBytes = source.stamp.size;
  UsableIndex usable = loadUsableIndex(dataPath, source);
  if (believeExisting && usable.coversFile) {
    refresh.kind = IndexRefreshKind::UpToDate;
    refresh.entries = std::move(usable.entries);
    closeDataFileSource(source);
    return StatusCode::Success;
  }
  refresh.replaced = usable.found;
  const StatusCode status = summarizeEveryBlock(source, pass, progress, [&](uint64_t, const BlockEntry& entry) {
    refresh.entries.push_back(entry);
    ++refresh.blocksRead;
    return true;
  });
  if (ok(status)) refresh.saved = saveBlockIndex(dataPath, source, refresh.entries, writer);
  closeDataFileSource(source);
  return status;
}

}  // namespace

StatusCode refreshDataFileIndex(const std::string& dataPath, IndexRefresh& refresh, const PassOptions& pass,
                                const ScanProgress* progress, const IndexWriter* writer) {
  return makeIndex(dataPath, refresh, pass, progress, writer, true);
}

StatusCode rebuildDataFileIndex(const std::string& dataPath, IndexRefresh& refresh, const PassOptions& pass,
                                const ScanProgress* progress, const IndexWriter* writer) {
  return makeIndex(dataPath, refresh, pass, progress, writer, false);
}

StatusCode verifyDataFileIndex(const std::string& dataPath, IndexVerification& verification, const PassOptions& pass,
                               const ScanProgress* progress) {
  verification = IndexVerification{};
  DataFileSource source;
  if (!openDataFileSource(dataPath, source)) return StatusCode::FileOpenError;
  if (!source.indexable) {
    closeDataFileSource(source);
    return StatusCode::IncorrectFileType;
  }
  const uint64_t records = source.stamp.size / kBusRecordBytes;
  verification.blocks = (records + kIndexBlockRecords - 1) / kIndexBlockRecords;
  BlockIndex index;
  verification.indexRead = readBlockIndexFile(indexPathFor(dataPath), verification.blocks + 1, index);
  verification.indexBlocks = index.entries.size();
  verification.stampMatches = verification.indexRead && index.coveredRecords == records &&
                              index.dataModifiedNanos == source.stamp.modifiedNanos;
  // The blocks both sides have, entry against entry; then the first block only one side has.
  const uint64_t common = std::min(verification.blocks, verification.indexBlocks);
  uint64_t different = common == verification.blocks && common == verification.indexBlocks ? UINT64_MAX : common;
  StatusCode status = StatusCode::Success;
  if (common > 0) {
    status = summarizeEveryBlock(source, pass, progress, [&](uint64_t block, const BlockEntry& entry) {
      if (block >= common) return false;
      unsigned char read[kIndexEntryBytes], kept[kIndexEntryBytes];
      encodeBlockEntry(entry, read);
      encodeBlockEntry(index.entries[block], kept);
      if (std::memcmp(read, kept, sizeof read) == 0) return true;
      different = block;
      return false;
    });
  }
  verification.firstDifferent = different;
  closeDataFileSource(source);
  return status;
}
