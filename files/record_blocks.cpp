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
  reader.sizeAtOpen = dataFileBytesLeft(reader.file);
  if (progress != nullptr && *progress) {
    reader.progress = progress;
    reader.totalBytes = reader.sizeAtOpen > 0 ? static_cast<uint64_t>(reader.sizeAtOpen) : 0;
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
    size_t wanted = reader.buffer.size() - reader.held;
    const bool sized = reader.sizeAtOpen >= 0;
    const uint64_t size = sized ? static_cast<uint64_t>(reader.sizeAtOpen) : 0;
    const uint64_t left = reader.bytesRead < size ? size - reader.bytesRead : 0;
    if (sized && left < wanted) wanted = static_cast<size_t>(left);
    const size_t got = wanted > 0 ? std::fread(reader.buffer.data() + reader.held, 1, wanted, reader.file) : 0;
    reader.held += got;
    reader.bytesRead += got;
    if (got < wanted || wanted == 0) {
      reader.atEnd = true;
      reader.cutShort = got < wanted && (sized || std::ferror(reader.file) != 0);
    }
  }
  if (reader.progress != nullptr) (*reader.progress)(reader.bytesRead, reader.totalBytes);
  const size_t count = reader.held / kBusRecordBytes;
  reader.handedOut = count * kBusRecordBytes;
  records = reader.buffer.data();
  return count;
}

StatusCode closeRecordBlocks(RecordBlockReader& reader) {
  if (reader.file != nullptr) std::fclose(reader.file);
  reader.file = nullptr;
  return reader.cutShort ? StatusCode::FileReadError : StatusCode::Success;
}
