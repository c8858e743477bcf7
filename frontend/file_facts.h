// What qeltool learns of a path before it writes: whether it exists, what kind of file it is, its
// size and its identity. The identity is the file itself, not its name: device and inode on POSIX,
// volume serial number and file index on Windows, so that "X.qel", "./X.qel", a symbolic link and
// a hard link to it all compare equal.
#pragma once
#include <cstdint>
#include <string>

enum class FileKind {
  Missing,    // nothing of that name (or it cannot be examined)
  Regular,    // a plain file on disk
  Directory,  // a folder
  Other,      // a device, pipe or socket: written in place, never replaced
};

struct FileIdentity {
  bool known = false;  // false where the system gives none (a missing file, a Windows device)
  uint64_t volume = 0;
  uint64_t index = 0;
};

struct FileFacts {
  FileKind kind = FileKind::Missing;
  uint64_t size = 0;  // bytes, for a regular file
  FileIdentity identity;
  bool writable = false;     // the file itself may be written by this process
  uint32_t permissions = 0;  // POSIX permission bits of a regular file (0 on Windows)
  std::string resolvedPath;  // POSIX: where a symbolic link leads (the path itself otherwise)
};

// Facts of the file the path names, following symbolic links. Kind Missing when it cannot be
// examined.
FileFacts examineFile(const std::string& path);

enum class StandardStream { Input, Output };

// Facts of the file standard input or output is (kind Other for a terminal or pipe, Missing when
// closed).
FileFacts examineStandardStream(StandardStream stream);

// Both are known and are one and the same file.
bool sameFile(const FileFacts& a, const FileFacts& b);
