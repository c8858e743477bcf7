#include "index/index_build.h"

#include <algorithm>

#include "files/bus_record.h"
#include "index/index_file.h"

StatusCode refreshDataFileIndex(const std::string& dataPath, IndexRefresh& refresh, const PassOptions& pass,
                                const ScanProgress* progress, const IndexWriter* writer) {
  refresh = IndexRefresh{};
  DataFileSource source;
  if (!openDataFileSource(dataPath, source)) return StatusCode::FileOpenError;
  refresh.fileBytes = source.stamp.size;
  const uint64_t records = source.stamp.size / kBusRecordBytes;
  const uint64_t blocks = (records + kIndexBlockRecords - 1) / kIndexBlockRecords;
  UsableIndex usable = loadUsableIndex(dataPath, source);
  refresh.entries = std::move(usable.entries);
  if (usable.coversFile) {
    refresh.kind = IndexRefreshKind::UpToDate;
    closeDataFileSource(source);
    return StatusCode::Success;
  }
  refresh.kind = refresh.entries.empty() ? IndexRefreshKind::Made : IndexRefreshKind::Extended;
  refresh.replaced = refresh.entries.empty() && usable.found;

  PassOptions options = pass;
  options.blockRecords = kIndexBlockRecords;
  std::vector<std::vector<BlockEntry>> slots(passSlots(options));
  bool whole = true;
  const uint64_t first = refresh.entries.size();
  runBlockPass(
      source, {BlockRange{first, blocks - first}}, options,
      [&](unsigned slot, const BlockRun& run) {
        std::vector<BlockEntry>& out = slots[slot];
        out.clear();
        for (uint64_t done = 0; done < run.recordCount; done += kIndexBlockRecords) {
          const size_t count = static_cast<size_t>(std::min(kIndexBlockRecords, run.recordCount - done));
          out.push_back(summarizeBlock(run.records + done * kBusRecordBytes, count));
        }
      },
      [&](unsigned slot, const BlockRun& run) {
        refresh.entries.insert(refresh.entries.end(), slots[slot].begin(), slots[slot].end());
        refresh.blocksRead += slots[slot].size();
        whole = !run.shortRead;
        if (progress != nullptr && *progress) {
          const uint64_t passed = (run.firstBlock + run.blocks) * kIndexBlockRecords * kBusRecordBytes;
          (*progress)(std::min(passed, source.stamp.size), source.stamp.size);
        }
        return whole;
      });
  if (whole) refresh.saved = saveBlockIndex(dataPath, source, refresh.entries, writer);
  closeDataFileSource(source);
  return whole ? StatusCode::Success : StatusCode::FileReadError;
}
