#include "files/data_file_source.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// Reads until `bytes` have arrived, the file ends or a read fails; returns the bytes read.
size_t readAt(const DataFileSource& source, uint64_t offset, unsigned char* into, size_t bytes) {
  size_t got = 0;
  while (got < bytes) {
#ifdef _WIN32
    // A read at a position of its own: the handle's file position plays no part.
    OVERLAPPED at{};
    const uint64_t position = offset + got;
    at.Offset = static_cast<DWORD>(position & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(position >> 32);
    const size_t left = bytes - got;
    const DWORD wanted = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
    DWORD read = 0;
    if (!ReadFile(static_cast<HANDLE>(source.handle), into + got, wanted, &read, &at) || read == 0) break;
#else
    const ssize_t read = pread(source.descriptor, into + got, bytes - got, static_cast<off_t>(offset + got));
    if (read <= 0) break;
#endif
    got += static_cast<size_t>(read);
  }
  return got;
}

}  // namespace

bool openDataFileSource(const std::string& path, DataFileSource& source) {
  source = DataFileSource{};
#ifdef _WIN32
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  source.handle = handle;
  source.indexable = GetFileType(handle) == FILE_TYPE_DISK;
  if (!fileStampOfHandle(handle, source.stamp)) {
    closeDataFileSource(source);
    return false;
  }
#else
  source.descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (source.descriptor < 0) return false;
  // The folder the name gives must hold the file: /dev/stdin names a file elsewhere.
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  struct stat info, folderInfo;
  source.indexable = fstat(source.descriptor, &info) == 0 && S_ISREG(info.st_mode) &&
                     stat(folder.c_str(), &folderInfo) == 0 && folderInfo.st_dev == info.st_dev;
  if (!fileStampOfDescriptor(source.descriptor, source.stamp)) {
    closeDataFileSource(source);
    return false;
  }
  posix_fadvise(source.descriptor, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
  return true;
}

void closeDataFileSource(DataFileSource& source) {
#ifdef _WIN32
  if (source.handle != nullptr) CloseHandle(static_cast<HANDLE>(source.handle));
  source.handle = nullptr;
#else
  if (source.descriptor >= 0) close(source.descriptor);
  source.descriptor = -1;
#endif
}

const unsigned char* viewSourceBytes(DataFileSource& source, SourceWindow& window, uint64_t offset, size_t bytes,
                                     size_t& got) {
  got = 0;
  if (offset >= source.stamp.size) return nullptr;
  if (bytes > source.stamp.size - offset) bytes = static_cast<size_t>(source.stamp.size - offset);
  if (window.buffer.size() < bytes) window.buffer.resize(bytes);
  got = readAt(source, offset, window.buffer.data(), bytes);
  return window.buffer.data();
}
