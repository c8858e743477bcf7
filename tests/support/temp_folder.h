// A temporary folder for one test, and whole-file reads and writes of the files put in it.
//
//   TempFolder folder;                        // fresh, empty, removed with its content at scope end
//   const std::string path = folder.file("a.qel");
//   writeBytes(path, bytes);  readBytes(path);  readText(path);
#pragma once
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>
#include <vector>

using Bytes = std::vector<unsigned char>;

// A fresh folder under TEST_TMPDIR, else TMPDIR, else the system's temporary folder; `path` is
// empty when none could be made. The folder and everything in it go when the object does.
struct TempFolder {
  std::string path;

  TempFolder() {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path base;
    for (const char* variable : {"TEST_TMPDIR", "TMPDIR"}) {
      const char* value = std::getenv(variable);
      if (base.empty() && value != nullptr && *value != '\0') base = value;
    }
    if (base.empty()) base = fs::temp_directory_path(error);
    // A name no other test (in this process or another) holds: create_directory refuses one that
    // exists, so a clash only means another try.
    static std::atomic<unsigned> made{0};
    std::mt19937_64 random(std::random_device{}() ^
                           static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    for (int attempt = 0; attempt < 100 && path.empty(); ++attempt) {
      const fs::path candidate = base / ("varnotek-" + std::to_string(made++) + "-" + std::to_string(random()));
      if (fs::create_directories(candidate, error)) path = candidate.string();
    }
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The path of a file called `name` in the folder.
  std::string file(const std::string& name) const { return (std::filesystem::path(path) / name).string(); }
};

// Replaces the file at `path` with exactly these bytes; false when that fails.
inline bool writeBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  return static_cast<bool>(file);
}

// The whole file (empty when it cannot be read).
inline Bytes readBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline std::string readText(const std::string& path) {
  const Bytes bytes = readBytes(path);
  return std::string(bytes.begin(), bytes.end());
}
