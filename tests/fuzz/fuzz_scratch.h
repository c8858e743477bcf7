// What every fuzz target shares: one scratch folder per process (made on first use, removed at
// exit), writing an input to a file in it, and a check that aborts with a message, so that a
// broken invariant shows as a crash with its reason.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <dirent.h>
#include <unistd.h>

namespace fuzz {

inline void removeScratchFolder();

inline const std::string& scratchFolder() {
  static const std::string folder = [] {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/vk-fuzz-XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) {
      std::perror("mkdtemp");
      std::abort();
    }
    return pattern;
  }();
  static const bool cleanupRegistered = std::atexit(removeScratchFolder) == 0;
  (void)cleanupRegistered;
  return folder;
}

// The path of a file called name in the scratch folder.
inline std::string scratchPath(const char* name) { return scratchFolder() + "/" + name; }

inline void removeScratchFolder() {
  const std::string& folder = scratchFolder();
  if (DIR* dir = opendir(folder.c_str())) {
    while (const dirent* entry = readdir(dir)) {
      if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
        unlink((folder + "/" + entry->d_name).c_str());
      }
    }
    closedir(dir);
  }
  rmdir(folder.c_str());
}

// Replaces the file at path with exactly these bytes.
inline void writeScratchFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr || (size != 0 && std::fwrite(data, 1, size, file) != size) || std::fclose(file) != 0) {
    std::fprintf(stderr, "cannot write scratch file %s\n", path.c_str());
    std::abort();
  }
}

// The whole content of a file ("" when it cannot be read).
inline std::string readScratchFile(const std::string& path) {
  std::string content;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    char block[65536];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) != 0) content.append(block, got);
    std::fclose(file);
  }
  return content;
}

[[noreturn]] inline void fail(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
  std::abort();
}

}  // namespace fuzz

#define FUZZ_CHECK(condition) \
  do {                        \
    if (!(condition)) ::fuzz::fail(#condition, __FILE__, __LINE__); \
  } while (0)
