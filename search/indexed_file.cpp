#include "search/indexed_file.h"

#include "files/bus_record.h"
#include "index/index_file.h"

bool openIndexedFile(const std::string& path, const ScanOptions& options, IndexedFile& file) {
  file = IndexedFile{};
  file.path = path;
  file.options = &options;
  if (!openDataFileSource(path, file.source)) return false;
  file.records = file.source.stamp.size / kBusRecordBytes;
  file.blocks = (file.records + kIndexBlockRecords - 1) / kIndexBlockRecords;
  if (options.useIndex && file.source.indexable) {
    UsableIndex usable = loadUsableIndex(path, file.source);
    file.entries = std::move(usable.entries);
    file.coversFile = usable.coversFile;
    file.building = options.leaveIndex && !file.coversFile;
  }
  return true;
}

void reportPassed(const IndexedFile& file, uint64_t block) {
  const ScanProgress* progress = file.options->progress;
  if (progress == nullptr || !*progress) return;
  const uint64_t size = file.source.stamp.size;
  const uint64_t passed = block >= file.blocks ? size : block * kIndexBlockRecords * kBusRecordBytes;
  (*progress)(passed < size ? passed : size, size);
}

void finishIndexedFile(IndexedFile& file, bool passComplete) {
  if (passComplete && file.building && file.entries.size() + file.built.size() == file.blocks) {
    file.entries.insert(file.entries.end(), file.built.begin(), file.built.end());
    // An index that cannot be saved changes nothing.
    saveBlockIndex(file.path, file.source, file.entries, file.options->indexWriter);
  }
  closeDataFileSource(file.source);
}
