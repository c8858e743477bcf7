#include "files/data_file.h"

#include <sys/stat.h>

#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// Standard input as a stream of its own, in binary mode, that the caller may close.
FILE* openStandardInput() {
#ifdef _WIN32
  const int descriptor = _dup(_fileno(stdin));
  if (descriptor < 0) return nullptr;
  _setmode(descriptor, _O_BINARY);
  FILE* file = _fdopen(descriptor, "rb");
  if (file == nullptr) _close(descriptor);
#else
  const int descriptor = dup(fileno(stdin));
  if (descriptor < 0) return nullptr;
  FILE* file = fdopen(descriptor, "rb");
  if (file == nullptr) close(descriptor);
#endif
  return file;
}

}  // namespace

FILE* openDataFile(const char* path, const char* mode) {
  if (std::strcmp(path, "-") == 0 && mode[0] == 'r') return openStandardInput();
  // A folder is no data file: on Linux fopen would open it and its "size" is nonsense.
  struct stat info;
  if (stat(path, &info) == 0 && S_ISDIR(info.st_mode)) return nullptr;
  return std::fopen(path, mode);
}

FILE* openRegularFile(const char* path) {
#ifdef _WIN32
  struct _stat64 info;
  if (_stat64(path, &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) return nullptr;
  return std::fopen(path, "rb");
#else
  // Looked at first, then opened without waiting and looked at again: the name may have changed hands.
  struct stat info;
  if (stat(path, &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
  const int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  FILE* file = fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode) ? fdopen(descriptor, "rb") : nullptr;
  if (file == nullptr) close(descriptor);
  return file;
#endif
}

bool pathExists(const char* path) {
#ifdef _WIN32
  return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
#else
  struct stat info;
  return lstat(path, &info) == 0;
#endif
}

bool seekDataFile(FILE* file, int64_t offset, int origin) {
#ifdef _WIN32
  return _fseeki64(file, offset, origin) == 0;
#else
  return fseeko(file, static_cast<off_t>(offset), origin) == 0;
#endif
}

int64_t tellDataFile(FILE* file) {
#ifdef _WIN32
  return _ftelli64(file);
#else
  return static_cast<int64_t>(ftello(file));
#endif
}

size_t readDataFileFully(FILE* file, unsigned char* into, size_t count) {
  size_t got = 0;
  while (got < count) {
    const size_t n = std::fread(into + got, 1, count - got, file);
    if (n == 0) break;
    got += n;
  }
  return got;
}

int64_t dataFileBytesLeft(FILE* file) {
  const int64_t here = tellDataFile(file);
  const int64_t size = here < 0 ? -1 : dataFileSize(file);
  return size < 0 ? -1 : size > here ? size - here : 0;
}

int64_t dataFileSize(FILE* file) {
  const int64_t here = tellDataFile(file);
  if (here < 0 || !seekDataFile(file, 0, SEEK_END)) return -1;
  const int64_t size = tellDataFile(file);
  if (!seekDataFile(file, here, SEEK_SET)) return -1;
  return size;
}
