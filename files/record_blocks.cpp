#include "files/record_blocks.h"

#include <cstring>

#include "files/bus_record.h"
#include "files/data_file.h"

bool openRecordBlocks(RecordBlockReader& reader, const std::string& path, size_t blockBytes,
                      const ScanProgress* progress) {
  reader = RecordBlockReader{};
  reader.file = openDataFile(path.c_str(), "rb");
  if (reader.file == nullptr) return false;
  // The blocks are large: read straight into them rather than through the stream's own buffer.
  std::setvbuf(reader.file, nullptr, _IONBF, 0);
  if (blockBytes < kBusRecordBytes) blockBytes = kBusRecordBytes;
  reader.buffer.resize(blockBytes - blockBytes % kBusRecordBytes);
  if (progress != nullptr && *progress) {
    reader.progress = progress;
    const int64_t size = dataFileSize(reader.file);
    reader.totalBytes = size > 0 ? static_cast<uint64_t>(size) : 0;
  }
  return true;
}

size_t nextRecordBlock(RecordBlockReader& reader, const unsigned char*& records) {
  if (reader.file == nullptr) return 0;
  // Keep the part of a record left over from the last block at the front.
  const size_t leftover = reader.held - reader.handedOut;
  if (leftover > 0 && reader.handedOut > 0) {
    std::memmove(reader.buffer.data(), reader.buffer.data() + reader.handedOut, leftover);
  }
  reader.held = leftover;
  reader.handedOut = 0;
  while (!reader.atEnd && reader.held < reader.buffer.size()) {
    const size_t wanted = reader.buffer.size() - reader.held;
    const size_t got = std::fread(reader.buffer.data() + reader.held, 1, wanted, reader.file);
    reader.held += got;
    reader.bytesRead += got;
    if (got < wanted) reader.atEnd = true;
  }
  if (reader.progress != nullptr) (*reader.progress)(reader.bytesRead, reader.totalBytes);
  const size_t count = reader.held / kBusRecordBytes;
  reader.handedOut = count * kBusRecordBytes;
  records = reader.buffer.data();
  return count;
}

void closeRecordBlocks(RecordBlockReader& reader) {
  if (reader.file != nullptr) std::fclose(reader.file);
  reader.file = nullptr;
}
