#include "search/record_blocks.h"

#include <cstring>

#include "files/bus_record.h"
#include "files/data_file.h"

bool openRecordBlocks(RecordBlockReader& reader, const std::string& path, size_t blockBytes) {
  reader = RecordBlockReader{};
  reader.file = openDataFile(path.c_str(), "rb");
  if (reader.file == nullptr) return false;
  // The blocks are large: read straight into them rather than through the stream's own buffer.
  std::setvbuf(reader.file, nullptr, _IONBF, 0);
  if (blockBytes < kBusRecordBytes) blockBytes = kBusRecordBytes;
  reader.buffer.resize(blockBytes - blockBytes % kBusRecordBytes);
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
    if (got < wanted) reader.atEnd = true;
  }
  const size_t count = reader.held / kBusRecordBytes;
  reader.handedOut = count * kBusRecordBytes;
  records = reader.buffer.data();
  return count;
}

void closeRecordBlocks(RecordBlockReader& reader) {
  if (reader.file != nullptr) std::fclose(reader.file);
  reader.file = nullptr;
}
