// Whole 16-byte records of a data file, delivered in large blocks for one sequential pass that
// keeps its own state from block to block (the export and the overview); the searches use
// block_pass.h, which spreads the work over two threads.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/status_code.h"
#include "files/scan_progress.h"

constexpr size_t kRecordBlockBytes = 1u << 20;

struct RecordBlockReader {
  FILE* file = nullptr;
  std::vector<unsigned char> buffer;
  size_t held = 0;       // bytes in buffer
  size_t handedOut = 0;  // bytes of buffer already delivered as records
  bool atEnd = false;
  const ScanProgress* progress = nullptr;  // told the bytes read after each block
  uint64_t bytesRead = 0;   // the position in the file
  uint64_t totalBytes = 0;
  int64_t sizeAtOpen = -1;  // -1 for a stream, whose end is wherever it ends
  bool cutShort = false;    // the file ended (or a read failed) before its size at opening
};

// False when the file cannot be opened.
bool openRecordBlocks(RecordBlockReader& reader, const std::string& path, size_t blockBytes = kRecordBlockBytes,
                      const ScanProgress* progress = nullptr);

// The next run of whole records (count returned, 0 at the end). A trailing fragment of fewer than
// 16 bytes is never delivered. A file is read to its size at opening (what it grew by since is left
// out); a read error, or a file cut short under the reader, ends it early and sets cutShort.
size_t nextRecordBlock(RecordBlockReader& reader, const unsigned char*& records);

// FileReadError when the reading came up short (cutShort), otherwise Success.
StatusCode closeRecordBlocks(RecordBlockReader& reader);
