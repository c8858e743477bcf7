#include "index/index_stream.h"

#include <algorithm>
#include <cstdio>

#include "files/bus_record.h"
#include "files/data_file.h"
#include "files/file_stamp.h"
#include "index/index_file.h"

namespace {

void giveUp(IndexStream& stream) {
  stream.active = false;
  std::remove(stream.indexPath.c_str());
}

// Writes the pending entries (and `last`, an entry beyond them, when given) and the header.
void writeIndex(IndexStream& stream, const unsigned char* last, const char* mode) {
  FileStamp stamp;
  if (!stream.active) return;
  if (!fileStampOf(stream.dataPath, stamp)) return giveUp(stream);
  uint64_t entryCount = stream.entries, covered = stream.covered, entriesState = stream.checksumState;
  if (last != nullptr) {
    ++entryCount;
    covered += stream.filling.records;
    entriesState = addEntryToChecksum(entriesState, last);
  }
  BlockIndex index;
  index.coveredRecords = covered;
  index.dataModifiedNanos = stamp.modifiedNanos;
  const uint64_t headBytes = std::min<uint64_t>(stream.head.size(), covered * kBusRecordBytes);
  index.fingerprint = dataFingerprint(stream.head.data(), static_cast<size_t>(headBytes));
  unsigned char header[kIndexHeaderBytes];
  encodeIndexHeader(index, entryCount, entriesState, header);

  FILE* file = openDataFile(stream.indexPath.c_str(), mode);
  if (file == nullptr) return giveUp(stream);
  bool good = seekDataFile(file, static_cast<int64_t>(kIndexHeaderBytes + stream.written * kIndexEntryBytes), SEEK_SET);
  if (!stream.pending.empty()) {
    good = good && std::fwrite(stream.pending.data(), 1, stream.pending.size(), file) == stream.pending.size();
  }
  if (last != nullptr) good = good && std::fwrite(last, 1, kIndexEntryBytes, file) == kIndexEntryBytes;
  good = good && seekDataFile(file, 0, SEEK_SET) && std::fwrite(header, 1, sizeof header, file) == sizeof header;
  if (std::fclose(file) != 0 || !good) return giveUp(stream);
  stream.written = stream.entries;
  stream.pending.clear();
}

}  // namespace

bool startIndexStream(IndexStream& stream, const std::string& dataPath) {
  stream = IndexStream{};
  stream.dataPath = dataPath;
  stream.indexPath = indexPathFor(dataPath);
  stream.checksumState = kChecksumStart;
  // Only beside a regular data file, and never over a file that is not an index.
  FILE* data = openRegularFile(dataPath.c_str());
  if (data == nullptr) return false;
  std::fclose(data);
  if (!indexFileMayBeReplaced(stream.indexPath)) return false;
  stream.active = true;
  writeIndex(stream, nullptr, "wb");
  return stream.active;
}

void addToIndexStream(IndexStream& stream, const unsigned char* records, size_t count) {
  while (stream.active && count > 0) {
    if (stream.head.size() < kFingerprintBytes) {
      const size_t bytes = std::min<size_t>(kFingerprintBytes - stream.head.size(), count * kBusRecordBytes);
      stream.head.insert(stream.head.end(), records, records + bytes);
    }
    const size_t room = static_cast<size_t>(kIndexBlockRecords - stream.filling.records);
    const size_t take = count < room ? count : room;
    addRecordsToEntry(stream.filling, records, take);
    records += take * kBusRecordBytes;
    count -= take;
    if (stream.filling.records == kIndexBlockRecords) {
      unsigned char bytes[kIndexEntryBytes];
      encodeBlockEntry(stream.filling, bytes);
      stream.pending.insert(stream.pending.end(), bytes, bytes + kIndexEntryBytes);
      stream.checksumState = addEntryToChecksum(stream.checksumState, bytes);
      stream.covered += kIndexBlockRecords;
      ++stream.entries;
      stream.filling = BlockEntry{};
    }
  }
}

void writeIndexStream(IndexStream& stream) { writeIndex(stream, nullptr, "r+b"); }

void finishIndexStream(IndexStream& stream) {
  if (stream.filling.records > 0) {
    unsigned char last[kIndexEntryBytes];
    encodeBlockEntry(stream.filling, last);
    writeIndex(stream, last, "r+b");
  } else {
    writeIndex(stream, nullptr, "r+b");
  }
  stream.active = false;
}
