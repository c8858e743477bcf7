// Stretches of a data file for the long passes, from one open file that the pass's threads share:
// positioned reads (pread, ReadFile at an offset) into a buffer of the thread's own. The file is
// never mapped: a file cut short while it is read gives a short read, which the passes report as
// FileReadError, where touching mapped pages past the new end would kill the process.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "files/file_stamp.h"

struct DataFileSource {
#ifdef _WIN32
  void* handle = nullptr;  // the file's HANDLE
#else
  int descriptor = -1;
#endif
  FileStamp stamp;  // size and modification time when opened
  // A plain file on disk (no device or pipe) in the folder its name gives (not reached through
  // /dev/stdin or /proc/self/fd): only such a file has an index beside it.
  bool indexable = false;
};

// One thread's buffer: what the last call of viewSourceBytes returned lives here.
struct SourceWindow {
  std::vector<unsigned char> buffer;
};

// False when the file cannot be opened or is a folder.
bool openDataFileSource(const std::string& path, DataFileSource& source);
void closeDataFileSource(DataFileSource& source);

// Up to `bytes` bytes from `offset`, never beyond the size at opening; `got` says how many
// arrived. Fewer than asked within the size at opening means a read failed or the file has shrunk.
// The bytes stay valid until the window's next use.
const unsigned char* viewSourceBytes(DataFileSource& source, SourceWindow& window, uint64_t offset, size_t bytes,
                                     size_t& got);
