// The saved block index beside a data file ("RUN7.QIX" beside "RUN7.QEL"). Little-endian, field by
// field, with its version in the header:
//
//   header, 64 bytes
//     0  "QELINDEX"       8  u32 version (1)        12 u32 header bytes (64)   16 u32 entry bytes (114)
//     20 u32 records a block (16384)                24 u64 records covered
//     32 i64 the data file's modification time, ns since 1970
//     40 u64 fingerprint of the data file's first min(4096, covered x 16) bytes
//     48 u64 entries      56 u64 checksum of header bytes 0-55 and every entry
//   entries, 114 bytes each, one for each block from the first (only the last may be short)
//     0  u32 records       4 u32 x 3 longwords 0-2 of the first record    16 u32 x 3 of the last
//     28 u64 smallest time 36 u64 largest time (half microseconds)
//     44 i64 smallest step 52 i64 largest step     60 u16 position of the first largest step
//     62 u16 steps back    64 u16 position of the first step back
//     66 u32 union of the bus words                70 u32 intersection
//     74 u16 x 16 records of each class (channel x 4 + command sync x 2 + any error)
//     106 u16 x 4 records with Sh, Lg, Mn, Py
//
// A reader believes an index only when all of it checks out: magic, version, sizes, checksum, every
// entry consistent in itself, and against the data file the records covered (all of the file's),
// the modification time, the fingerprint and the first and last records of up to eight blocks
// spread over the file. A data file whose size or modification time has moved since its index was
// stamped gets a new index from all of its blocks: entries of the old state are no evidence about
// the new one. (The recorder restamps its index after every half it stores.)
//
// An index is only ever written where no file is, or over a file that is an index by its header
// (its magic), and only beside a regular data file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "files/data_file_source.h"
#include "index/block_entry.h"

constexpr uint32_t kIndexVersion = 1;
constexpr size_t kIndexHeaderBytes = 64;
constexpr size_t kIndexEntryBytes = 114;
constexpr size_t kFingerprintBytes = 4096;

struct BlockIndex {
  uint64_t coveredRecords = 0;
  int64_t dataModifiedNanos = 0;
  uint64_t fingerprint = 0;
  std::vector<BlockEntry> entries;
};

// "RUN7.QEL" -> "RUN7.QIX", "run.qel" -> "run.qix"; any other name gets ".qix" added.
std::string indexPathFor(const std::string& dataPath);

// The file's bytes, and back. Decoding refuses anything that is not a whole, consistent index.
std::vector<unsigned char> encodeBlockIndex(const BlockIndex& index);
bool decodeBlockIndex(const unsigned char* bytes, size_t size, BlockIndex& index);

// One entry's 114 bytes; the checksum of a run of entries grows one entry at a time.
void encodeBlockEntry(const BlockEntry& entry, unsigned char* bytes);
uint64_t addEntryToChecksum(uint64_t state, const unsigned char* entryBytes);
constexpr uint64_t kChecksumStart = 0x51454C494E444558ull;
// The header's 64 bytes, its checksum made from the state after every entry.
void encodeIndexHeader(const BlockIndex& index, uint64_t entryCount, uint64_t entriesState, unsigned char* bytes);
// The checksum that belongs at bytes 56-63 of a whole index file of `size` bytes as it stands.
uint64_t indexFileChecksum(const unsigned char* bytes, size_t size);

// The fingerprint of the first bytes of a data file (at most kFingerprintBytes of them).
uint64_t dataFingerprint(const unsigned char* bytes, size_t size);

// The index beside an open data file when it can be believed for the file as it is (coversFile);
// no entries when it is missing, damaged, or belongs to another file or another state of this one,
// or when the data file is no regular file.
struct UsableIndex {
  std::vector<BlockEntry> entries;
  bool coversFile = false;
  bool found = false;  // an index file was there (believed or not)
};
UsableIndex loadUsableIndex(const std::string& dataPath, DataFileSource& source);

// The index file decoded, when it is a regular file of at most maxEntries entries that decodes;
// its ties to any data file are not checked. Never blocks on a pipe or device of that name.
bool readBlockIndexFile(const std::string& indexPath, uint64_t maxEntries, BlockIndex& index);

// Whether an index may be written at indexPath: nothing is there, or a regular file that begins
// as an index does. A pipe, device, folder or any other file is never replaced.
bool indexFileMayBeReplaced(const std::string& indexPath);

// The index of an open data file with these entries (from its first block on), tied to the file
// as it was opened. False when the entries cover more than the file or its start cannot be read.
bool blockIndexOf(DataFileSource& source, const std::vector<BlockEntry>& entries, BlockIndex& index);

// Puts an index file's bytes in place for a data file; true when they are there. A program with
// its own way of writing files whole (qeltool's safe outputs) gives one; otherwise
// writeIndexFile is used.
using IndexWriter = std::function<bool(const std::string& dataPath, const std::string& indexPath,
                                       const std::vector<unsigned char>& bytes)>;

// Whole or not at all: into a temporary file beside the index that then replaces it (a link of
// that name is replaced, not followed). False when that fails; nothing is left then.
bool writeIndexFile(const std::string& dataPath, const std::string& indexPath, const std::vector<unsigned char>& bytes);

// Writes that index beside the data file with the writer (writeIndexFile when null). False when
// that fails, when the data file is no regular file, or when indexFileMayBeReplaced says no.
bool saveBlockIndex(const std::string& dataPath, DataFileSource& source, const std::vector<BlockEntry>& entries,
                    const IndexWriter* writer = nullptr);

// The same for a data file that is not open (just written and closed).
bool saveIndexFor(const std::string& dataPath, const std::vector<BlockEntry>& entries,
                  const IndexWriter* writer = nullptr);

// Replaces `target` with the file `temporary` (removed when that fails).
bool replaceFile(const std::string& temporary, const std::string& target);
