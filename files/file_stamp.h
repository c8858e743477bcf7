// What ties a saved index to the state of its data file: the file's size and its last
// modification time, in nanoseconds since 1970 on every platform.
#pragma once
#include <cstdint>
#include <string>

struct FileStamp {
  uint64_t size = 0;
  int64_t modifiedNanos = 0;
};

// False when the file cannot be examined (or is a folder).
bool fileStampOf(const std::string& path, FileStamp& stamp);

// The same for an open file: a HANDLE on Windows, a file descriptor elsewhere.
#ifdef _WIN32
bool fileStampOfHandle(void* handle, FileStamp& stamp);
#else
bool fileStampOfDescriptor(int descriptor, FileStamp& stamp);
#endif
