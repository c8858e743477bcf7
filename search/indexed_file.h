// A data file opened for a search pass, with its saved index when that can be believed, the
// entries the pass makes when it cannot, and the index it leaves behind (only beside a regular file).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "files/data_file_source.h"
#include "index/block_entry.h"
#include "search/scan_options.h"

struct IndexedFile {
  std::string path;
  DataFileSource source;
  const ScanOptions* options = nullptr;
  uint64_t records = 0;  // whole records
  uint64_t blocks = 0;   // blocks of the index grid, the last one possibly short
  std::vector<BlockEntry> entries;  // believed: every block of the file, or none
  bool coversFile = false;
  bool building = false;          // the pass summarises blocks beyond the entries
  std::vector<BlockEntry> built;  // for blocks entries.size() onwards, in order
};

// False when the file cannot be opened.
bool openIndexedFile(const std::string& path, const ScanOptions& options, IndexedFile& file);

// Whether block b lies beyond the believed entries, so that a pass building the index summarises it.
inline bool needsEntry(const IndexedFile& file, uint64_t block) {
  return file.building && block >= file.entries.size();
}

// Tells the options' progress (when any) that the pass has passed blocks before `block`.
void reportPassed(const IndexedFile& file, uint64_t block);

// Saves the entries with those built when they reach the file's end, then closes the file.
void finishIndexedFile(IndexedFile& file, bool passComplete);
