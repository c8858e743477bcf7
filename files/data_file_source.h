// Stretches of a data file for the long passes, from one open file that the pass's threads share:
// positioned reads into a buffer of the thread's own, or a mapped window of the file. Both give
// the same bytes; tests/bench/full_read_bench measures which is faster.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "files/file_stamp.h"

enum class ReadMethod { Positioned, Mapped };

// The method the passes use unless told otherwise: on Linux mapped windows, which
// tests/bench/full_read_bench measured faster than positioned reads on one and on two threads; on
// Windows ReadFile at a position, which measured as fast as MapViewOfFile windows in the 32-bit
// build under Wine (Windows itself was not at hand) and keeps the address space free.
#ifdef _WIN32
constexpr ReadMethod kDefaultReadMethod = ReadMethod::Positioned;
#else
constexpr ReadMethod kDefaultReadMethod = ReadMethod::Mapped;
#endif

struct DataFileSource {
#ifdef _WIN32
  void* handle = nullptr;   // the file's HANDLE
  void* mapping = nullptr;  // its file-mapping object, made on the first mapped view
#else
  int descriptor = -1;
#endif
  FileStamp stamp;  // size and modification time when opened
};

// One thread's view of the file: what the last call of viewSourceBytes returned lives here.
struct SourceWindow {
  ReadMethod method = kDefaultReadMethod;
  std::vector<unsigned char> buffer;
  void* view = nullptr;  // the mapped stretch
  size_t viewBytes = 0;
};

// False when the file cannot be opened or is a folder.
bool openDataFileSource(const std::string& path, DataFileSource& source);
void closeDataFileSource(DataFileSource& source);

// Up to `bytes` bytes from `offset`, never beyond the size at opening; `got` says how many
// arrived (fewer at the end of the file, after a read error, or when the file has shrunk). The
// bytes stay valid until the window's next use or release.
const unsigned char* viewSourceBytes(DataFileSource& source, SourceWindow& window, uint64_t offset, size_t bytes,
                                     size_t& got);
void releaseSourceWindow(SourceWindow& window);
