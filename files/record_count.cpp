// Get File Size: the number of whole records, from the file's size without reading it.
#include "files/record_count.h"

#include <vector>

#include "files/bus_record.h"
#include "files/data_file.h"

namespace {

// The size of a file that cannot seek, by reading it through; false when a read fails.
bool sizeByReading(FILE* file, uint64_t& size) {
  std::vector<unsigned char> block(64 * 1024);
  size = 0;
  size_t got;
  while ((got = std::fread(block.data(), 1, block.size(), file)) != 0) size += got;
  return std::ferror(file) == 0;
}

}  // namespace

StatusCode countRecords(const std::string& path, uint64_t& count) {
  FILE* file = openDataFile(path.c_str(), "rb");
  if (!file) return StatusCode::FileOpenError;
  const int64_t size = dataFileBytesLeft(file);
  uint64_t bytes = static_cast<uint64_t>(size);
  const bool read = size >= 0 || sizeByReading(file, bytes);
  std::fclose(file);
  if (!read) return StatusCode::FileReadError;
  // A trailing fragment of fewer than 16 bytes is no record.
  count = bytes / kBusRecordBytes;
  return StatusCode::Success;
}
