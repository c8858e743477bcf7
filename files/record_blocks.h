// Whole 16-byte records of a data file, delivered in large blocks for one sequential pass that
// keeps its own state from block to block (the export and the overview); the searches use
// block_pass.h, which spreads the work over two threads.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "files/scan_progress.h"

constexpr size_t kRecordBlockBytes = 1u << 20;

struct RecordBlockReader {
  FILE* file = nullptr;
  std::vector<unsigned char> buffer;
  size_t held = 0;       // bytes in buffer
  size_t handedOut = 0;  // bytes of buffer already delivered as records
  bool atEnd = false;
  const ScanProgress* progress = nullptr;  // told the bytes read after each block
  uint64_t bytesRead = 0;
  uint64_t totalBytes = 0;
};

// False when the file cannot be opened.
bool openRecordBlocks(RecordBlockReader& reader, const std::string& path, size_t blockBytes = kRecordBlockBytes,
                      const ScanProgress* progress = nullptr);

// The next run of whole records (count returned, 0 at the end). A trailing fragment of fewer than
// 16 bytes is never delivered; a read error ends the file as its end does.
size_t nextRecordBlock(RecordBlockReader& reader, const unsigned char*& records);

void closeRecordBlocks(RecordBlockReader& reader);
