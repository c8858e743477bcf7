#include "frontend/file_facts.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#endif

#ifdef _WIN32

namespace {

FileFacts factsFromHandle(HANDLE handle) {
  FileFacts facts;
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    facts.kind = FileKind::Other;
    facts.writable = true;
    return facts;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) return facts;
  facts.kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileKind::Directory : FileKind::Regular;
  facts.size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  facts.identity.known = true;
  facts.identity.volume = info.dwVolumeSerialNumber;
  facts.identity.index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  facts.writable = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) == 0;
  return facts;
}

}  // namespace

FileFacts examineFile(const std::string& path) {
  // No access asked for: only the facts are read. A folder opens only with backup semantics.
  HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return FileFacts{};
  FileFacts facts = factsFromHandle(handle);
  CloseHandle(handle);
  facts.resolvedPath = path;
  return facts;
}

FileFacts examineStandardStream(StandardStream stream) {
  HANDLE handle = GetStdHandle(stream == StandardStream::Input ? STD_INPUT_HANDLE : STD_OUTPUT_HANDLE);
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return FileFacts{};
  return factsFromHandle(handle);
}

#else

namespace {

FileFacts factsFromStat(const struct stat& info) {
  FileFacts facts;
  if (S_ISREG(info.st_mode)) {
    facts.kind = FileKind::Regular;
    facts.size = static_cast<uint64_t>(info.st_size);
    facts.permissions = static_cast<uint32_t>(info.st_mode & 07777);
  } else {
    facts.kind = S_ISDIR(info.st_mode) ? FileKind::Directory : FileKind::Other;
  }
  facts.identity.known = true;
  facts.identity.volume = static_cast<uint64_t>(info.st_dev);
  facts.identity.index = static_cast<uint64_t>(info.st_ino);
  return facts;
}

}  // namespace

FileFacts examineFile(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return FileFacts{};
  FileFacts facts = factsFromStat(info);
  facts.writable = access(path.c_str(), W_OK) == 0;
  facts.resolvedPath = path;
  struct stat link;
  if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    // A replacement goes where the link leads, so that the link itself stays a link.
    char* real = realpath(path.c_str(), nullptr);
    if (real != nullptr) {
      facts.resolvedPath = real;
      std::free(real);
    }
  }
  return facts;
}

FileFacts examineStandardStream(StandardStream stream) {
  struct stat info;
  if (fstat(stream == StandardStream::Input ? STDIN_FILENO : STDOUT_FILENO, &info) != 0) return FileFacts{};
  FileFacts facts = factsFromStat(info);
  facts.writable = true;
  return facts;
}

#endif

bool sameFile(const FileFacts& a, const FileFacts& b) {
  return a.identity.known && b.identity.known && a.identity.volume == b.identity.volume &&
         a.identity.index == b.identity.index;
}
