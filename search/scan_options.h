// How the searches go about a data file: the saved index beside it, and the full read's threads.
#pragma once
#include "files/block_pass.h"
#include "files/scan_progress.h"
#include "index/index_file.h"

struct ScanOptions {
  const ScanProgress* progress = nullptr;  // told the bytes passed of the file's size after each run
  bool useIndex = true;    // believe the saved index beside the file when it belongs to the file
  bool leaveIndex = true;  // after a pass that has read the blocks the index lacks to the file's end, save it
  PassOptions pass;        // threads and read method of the reading
  const IndexWriter* indexWriter = nullptr;  // how the index left behind is written; null: writeIndexFile
};
