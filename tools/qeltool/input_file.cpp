#include "tools/qeltool/input_file.h"

#include <sys/stat.h>
#include <sys/types.h>

bool isDirectory(const std::string& path) {
#ifdef _WIN32
  struct _stat64 info;
  if (_stat64(path.c_str(), &info) != 0) return false;
  return (info.st_mode & _S_IFDIR) != 0;
#else
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return false;
  return S_ISDIR(info.st_mode);
#endif
}
