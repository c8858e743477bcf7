// The saved index written while its data file is being written (a recording, a generated file),
// from the records as they are appended: nothing is read back. Records are summarised as they
// come; the entries of whole blocks reach the index file when the writer says the data file is
// closed (so that its time of modification is final), the last shorter block at the finish.
//
// The index is an accelerator and the data file the truth: an index that cannot be written is
// given up (its file removed, the rest of the stream does nothing) and the data file's writing
// goes on as before. Nothing here reports a status, and no file is held open between calls.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "index/block_entry.h"

struct IndexStream {
  std::string dataPath;
  std::string indexPath;
  BlockEntry filling;                  // the block being filled (records 0 when none)
  std::vector<unsigned char> pending;  // encoded entries of whole blocks not yet in the file
  uint64_t written = 0;                // entries in the index file
  uint64_t entries = 0;                // entries of whole blocks, written or pending
  uint64_t covered = 0;                // their records
  uint64_t checksumState = 0;          // after those entries
  std::vector<unsigned char> head;     // the data file's first bytes, for the fingerprint
  bool active = false;                 // false before the start and once given up or finished
};

// Starts the index of a data file that has just been created or emptied: writes the index of
// the empty file. False (and the stream inactive) when it cannot be written, when the data file is
// no regular file, or when a file that is not an index has the index's name (it is left alone).
bool startIndexStream(IndexStream& stream, const std::string& dataPath);

// Records (16 bytes each) that have just been written at the end of the data file.
void addToIndexStream(IndexStream& stream, const unsigned char* records, size_t count);

// Writes the entries of the whole blocks added so far and a header tied to the data file as it is
// now; the data file must be closed.
void writeIndexStream(IndexStream& stream);

// The same with the entry of the last, shorter block; the stream is done.
void finishIndexStream(IndexStream& stream);
