// Making the saved index of a data file, and checking one against the file by reading it whole.
// An index is believed only for the file exactly as it was stamped (index_file.h); any other
// state of the file is made again from all of its blocks.
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
  UpToDate,  // the index belonged to the file as it is
  Made,      // there was no index, or none to believe, or a rebuild was asked for: made from the whole file
};

struct IndexRefresh {
  IndexRefreshKind kind = IndexRefreshKind::Made;
  bool replaced = false;    // Made where an index file was (one that could not be believed, or a rebuild)
  uint64_t blocksRead = 0;
  uint64_t fileBytes = 0;   // the data file's size
  std::vector<BlockEntry> entries;  // the whole index
  bool saved = false;       // written beside the data file (UpToDate: nothing to write)
};

// FileOpenError when the data file cannot be opened, IncorrectFileType when it is no regular file
// (a pipe or a device has no index), FileReadError when it ends before its size said (nothing is
// saved then). An index that cannot be written leaves saved false and the status Success: the
// entries are still there for the caller. The index is written with the writer (writeIndexFile
// when null).
StatusCode refreshDataFileIndex(const std::string& dataPath, IndexRefresh& refresh, const PassOptions& pass = {},
                                const ScanProgress* progress = nullptr, const IndexWriter* writer = nullptr);

// The same, made from the whole file whatever index is there.
StatusCode rebuildDataFileIndex(const std::string& dataPath, IndexRefresh& refresh, const PassOptions& pass = {},
                                const ScanProgress* progress = nullptr, const IndexWriter* writer = nullptr);

// Every entry of the index file against the summary of its block read from the data file.
struct IndexVerification {
  bool indexRead = false;       // an index file was there and decoded (its ties to the file unchecked)
  bool stampMatches = false;    // its stamp is the file's (size and modification time): the searches believe it
  uint64_t blocks = 0;          // blocks of the data file
  uint64_t indexBlocks = 0;     // entries of the index
  uint64_t firstDifferent = 0;  // the first block whose entry differs or is missing on either side;
                                // UINT64_MAX when every entry agrees
};

// Statuses as refreshDataFileIndex; Success also when the index differs or is missing (the
// verification says so). Stops reading at the first block that differs.
StatusCode verifyDataFileIndex(const std::string& dataPath, IndexVerification& verification,
                               const PassOptions& pass = {}, const ScanProgress* progress = nullptr);
