// What every fuzz target shares: one scratch folder per process (the tests' temporary folder, made
// on first use and removed at exit), writing an input to a file in it, and a check that aborts
// with a message, so that a broken invariant shows as a crash with its reason.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/temp_folder.h"

namespace fuzz {

[[noreturn]] inline void fail(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
  std::abort();
}

// The path of a file called name in the scratch folder.
inline std::string scratchPath(const char* name) {
  static const TempFolder folder;
  if (folder.path.empty()) fail("a scratch folder can be made", __FILE__, __LINE__);
  return folder.file(name);
}

// Replaces the file at path with exactly these bytes.
inline void writeScratchFile(const std::string& path, const uint8_t* data, size_t size) {
  if (!writeBytes(path, Bytes(data, data + size))) fail("the scratch file can be written", __FILE__, __LINE__);
}

}  // namespace fuzz

#define FUZZ_CHECK(condition) \
  do {                        \
    if (!(condition)) ::fuzz::fail(#condition, __FILE__, __LINE__); \
  } while (0)
