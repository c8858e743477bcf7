#include "files/file_stamp.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#ifdef _WIN32
namespace {
int64_t nanosFromFileTime(const FILETIME& time) {
  // FILETIME counts 100 ns from 1601; 11644473600 seconds lie between 1601 and 1970.
  const int64_t ticks = static_cast<int64_t>((uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime);
  return (ticks - 116444736000000000LL) * 100;
}
}  // namespace

bool fileStampOf(const std::string& path, FileStamp& stamp) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
  stamp.size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  stamp.modifiedNanos = nanosFromFileTime(data.ftLastWriteTime);
  return true;
}

bool fileStampOfHandle(void* handle, FileStamp& stamp) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(static_cast<HANDLE>(handle), &info)) return false;
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
  stamp.size = (uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  stamp.modifiedNanos = nanosFromFileTime(info.ftLastWriteTime);
  return true;
}
#else
namespace {
bool stampFromStat(const struct stat& info, FileStamp& stamp) {
  if (S_ISDIR(info.st_mode)) return false;
  stamp.size = static_cast<uint64_t>(info.st_size);
  stamp.modifiedNanos = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
  return true;
}
}  // namespace

bool fileStampOf(const std::string& path, FileStamp& stamp) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && stampFromStat(info, stamp);
}

bool fileStampOfDescriptor(int descriptor, FileStamp& stamp) {
  struct stat info;
  return fstat(descriptor, &info) == 0 && stampFromStat(info, stamp);
}
#endif
