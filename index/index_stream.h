// The saved index written while its data file is being written (a recording, a generated file),
// from the records as they are appended: nothing is read back. After each whole block its entry
// is added and the header brought up to date; finishing adds the last, shorter block.
//
// The index is an accelerator and the data file the truth: an index that cannot be written is
// given up (the file removed, what remains of the stream does nothing) and the data file's
// writing goes on as before. Nothing here reports a status.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "index/block_entry.h"

struct IndexStream {
  std::string dataPath;
  std::string indexPath;
  FILE* file = nullptr;
  BlockEntry filling;               // the block being filled (records 0 when none)
  uint64_t entries = 0;             // whole-block entries written
  uint64_t covered = 0;             // their records
  uint64_t checksumState = 0;       // after those entries
  std::vector<unsigned char> head;  // the data file's first bytes, for the fingerprint
  bool active = false;              // false before the start and once given up or finished
};

// Starts the index of a data file that has just been created or emptied. False (and the stream
// inactive) when the index file cannot be made.
bool startIndexStream(IndexStream& stream, const std::string& dataPath);

// Records (16 bytes each) that have just reached the end of the data file.
void addToIndexStream(IndexStream& stream, const unsigned char* records, size_t count);

// Adds the entry of the last, shorter block and closes the index. The data file must be closed,
// so that its time of modification is final.
void finishIndexStream(IndexStream& stream);

// Gives the index up: closes and removes it.
void abandonIndexStream(IndexStream& stream);
