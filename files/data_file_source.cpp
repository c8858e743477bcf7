#include "files/data_file_source.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

// Mapped views start on this boundary.
uint64_t mappingGranularity() {
#ifdef _WIN32
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwAllocationGranularity;
#else
  const long page = sysconf(_SC_PAGESIZE);
  return page > 0 ? static_cast<uint64_t>(page) : 4096u;
#endif
}

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

// Maps [offset, offset + bytes) into the window; false when the file cannot be mapped.
bool mapStretch(DataFileSource& source, SourceWindow& window, uint64_t offset, size_t bytes, size_t& lead) {
  static const uint64_t granularity = mappingGranularity();
  const uint64_t start = offset - offset % granularity;
  lead = static_cast<size_t>(offset - start);
  const size_t length = lead + bytes;
#ifdef _WIN32
  if (source.mapping == nullptr) {
    source.mapping = CreateFileMappingA(static_cast<HANDLE>(source.handle), nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (source.mapping == nullptr) return false;
  }
  void* view = MapViewOfFile(static_cast<HANDLE>(source.mapping), FILE_MAP_READ, static_cast<DWORD>(start >> 32),
                             static_cast<DWORD>(start & 0xFFFFFFFFu), length);
  if (view == nullptr) return false;
#else
  // Bytes beyond the file's end fault when touched: map only what the file holds now.
  FileStamp now;
  if (!fileStampOfDescriptor(source.descriptor, now) || now.size < offset + bytes) return false;
  void* view = mmap(nullptr, length, PROT_READ, MAP_SHARED, source.descriptor, static_cast<off_t>(start));
  if (view == MAP_FAILED) return false;
  madvise(view, length, MADV_SEQUENTIAL);
#endif
  window.view = view;
  window.viewBytes = length;
  return true;
}

}  // namespace

bool openDataFileSource(const std::string& path, DataFileSource& source) {
  source = DataFileSource{};
#ifdef _WIN32
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  source.handle = handle;
  if (!fileStampOfHandle(handle, source.stamp)) {
    closeDataFileSource(source);
    return false;
  }
#else
  source.descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (source.descriptor < 0) return false;
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
  if (source.mapping != nullptr) CloseHandle(static_cast<HANDLE>(source.mapping));
  if (source.handle != nullptr) CloseHandle(static_cast<HANDLE>(source.handle));
  source.mapping = nullptr;
  source.handle = nullptr;
#else
  if (source.descriptor >= 0) close(source.descriptor);
  source.descriptor = -1;
#endif
}

const unsigned char* viewSourceBytes(DataFileSource& source, SourceWindow& window, uint64_t offset, size_t bytes,
                                     size_t& got) {
  releaseSourceWindow(window);
  got = 0;
  if (offset >= source.stamp.size) return nullptr;
  if (bytes > source.stamp.size - offset) bytes = static_cast<size_t>(source.stamp.size - offset);
  size_t lead = 0;
  if (window.method == ReadMethod::Mapped && mapStretch(source, window, offset, bytes, lead)) {
    got = bytes;
    return static_cast<const unsigned char*>(window.view) + lead;
  }
  if (window.buffer.size() < bytes) window.buffer.resize(bytes);
  got = readAt(source, offset, window.buffer.data(), bytes);
  return window.buffer.data();
}

void releaseSourceWindow(SourceWindow& window) {
  if (window.view == nullptr) return;
#ifdef _WIN32
  UnmapViewOfFile(window.view);
#else
  munmap(window.view, window.viewBytes);
#endif
  window.view = nullptr;
  window.viewBytes = 0;
}
