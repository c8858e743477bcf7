// Making the saved index of a data file whole: what of the existing index can be believed is kept,
// and only the blocks it lacks are read (all of them when there is none, or none to believe).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/status_code.h"
#include "files/block_pass.h"
#include "files/scan_progress.h"
#include "index/block_entry.h"
#include "index/index_file.h"

enum class IndexRefreshKind {
  UpToDate,  // the index covered the file as it is
  Extended,  // the file had grown: its new blocks were added
  Made,      // there was no index, or none to believe: made from the whole file
};

struct IndexRefresh {
  IndexRefreshKind kind = IndexRefreshKind::Made;
  bool replaced = false;    // Made over an index file that could not be believed
  uint64_t blocksRead = 0;
  uint64_t fileBytes = 0;   // the data file's size
  std::vector<BlockEntry> entries;  // the whole index
  bool saved = false;       // written beside the data file (UpToDate: nothing to write)
};

// FileOpenError when the data file cannot be opened, FileReadError when it ends before its size
// said (nothing is saved then). An index that cannot be written leaves saved false and the status
// Success: the entries are still there for the caller. The index is written with the writer (writeIndexFile when null).
StatusCode refreshDataFileIndex(const std::string& dataPath, IndexRefresh& refresh, const PassOptions& pass = {},
                                const ScanProgress* progress = nullptr, const IndexWriter* writer = nullptr);
