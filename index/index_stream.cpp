#include "index/index_stream.h"

#include <algorithm>

#include "files/bus_record.h"
#include "files/data_file.h"
#include "files/file_stamp.h"
#include "index/index_file.h"

namespace {

// Writes bytes at a position of the index; gives the stream up when that fails.
bool writeAt(IndexStream& stream, uint64_t offset, const unsigned char* bytes, size_t size) {
  if (!seekDataFile(stream.file, static_cast<int64_t>(offset), SEEK_SET) ||
      std::fwrite(bytes, 1, size, stream.file) != size || std::fflush(stream.file) != 0) {
    abandonIndexStream(stream);
    return false;
  }
  return true;
}

// The header for this many entries and records, tied to the data file as it is now.
bool writeHeader(IndexStream& stream, uint64_t entries, uint64_t covered, uint64_t state) {
  FileStamp stamp;
  if (!fileStampOf(stream.dataPath, stamp)) {
    abandonIndexStream(stream);
    return false;
  }
  BlockIndex index;
  index.coveredRecords = covered;
  index.dataModifiedNanos = stamp.modifiedNanos;
  index.fingerprint = dataFingerprint(stream.head.data(),
                                      static_cast<size_t>(std::min<uint64_t>(stream.head.size(), covered * kBusRecordBytes)));
  unsigned char header[kIndexHeaderBytes];
  encodeIndexHeader(index, entries, state, header);
  return writeAt(stream, 0, header, sizeof header);
}

// Writes the entry being filled at its place; with `whole`, it becomes part of the index for good.
bool writeFilling(IndexStream& stream, bool whole) {
  unsigned char bytes[kIndexEntryBytes];
  encodeBlockEntry(stream.filling, bytes);
  if (!writeAt(stream, kIndexHeaderBytes + stream.entries * kIndexEntryBytes, bytes, sizeof bytes)) return false;
  const uint64_t state = addEntryToChecksum(stream.checksumState, bytes);
  const uint64_t covered = stream.covered + stream.filling.records;
  if (!writeHeader(stream, stream.entries + 1, covered, state)) return false;
  if (whole) {
    stream.checksumState = state;
    stream.covered = covered;
    ++stream.entries;
    stream.filling = BlockEntry{};
  }
  return true;
}

}  // namespace

bool startIndexStream(IndexStream& stream, const std::string& dataPath) {
  abandonIndexStream(stream);
  stream = IndexStream{};
  stream.dataPath = dataPath;
  stream.indexPath = indexPathFor(dataPath);
  stream.checksumState = kChecksumStart;
  stream.file = openDataFile(stream.indexPath.c_str(), "wb");
  if (stream.file == nullptr) return false;
  stream.active = true;
  return writeHeader(stream, 0, 0, stream.checksumState);
}

void addToIndexStream(IndexStream& stream, const unsigned char* records, size_t count) {
  while (stream.active && count > 0) {
    if (stream.head.size() < kFingerprintBytes) {
      const size_t take = std::min<size_t>(kFingerprintBytes - stream.head.size(), count * kBusRecordBytes);
      stream.head.insert(stream.head.end(), records, records + take);
    }
    const size_t room = static_cast<size_t>(kIndexBlockRecords - stream.filling.records);
    const size_t take = count < room ? count : room;
    addRecordsToEntry(stream.filling, records, take);
    records += take * kBusRecordBytes;
    count -= take;
    if (stream.filling.records == kIndexBlockRecords) writeFilling(stream, true);
  }
}

void finishIndexStream(IndexStream& stream) {
  if (!stream.active) return;
  const bool written = stream.filling.records > 0 ? writeFilling(stream, false)
                                                  : writeHeader(stream, stream.entries, stream.covered, stream.checksumState);
  if (!written) return;  // given up already
  FILE* file = stream.file;
  stream.file = nullptr;
  stream.active = false;
  if (std::fclose(file) != 0) std::remove(stream.indexPath.c_str());
}

void abandonIndexStream(IndexStream& stream) {
  if (stream.file != nullptr) {
    std::fclose(stream.file);
    stream.file = nullptr;
    std::remove(stream.indexPath.c_str());
  }
  stream.active = false;
}
