#include "record/file_appender.h"

#include <cstdio>

#include "files/data_file.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {
// Unbuffered, so that a write's count is what reached the file: a full disk shows at once.
struct StdioFileAppender : FileAppender {
  FILE* file = nullptr;
  int64_t openedSize = 0;

  bool open(const char* path) override {
    file = openDataFile(path, "r+b");
    if (file == nullptr) return false;
    std::setvbuf(file, nullptr, _IONBF, 0);
    if (!seekDataFile(file, 0, SEEK_END)) {
      close();
      return false;
    }
    openedSize = tellDataFile(file);
    return true;
  }

  size_t write(const void* data, size_t bytes) override { return std::fwrite(data, 1, bytes, file); }

  void truncate(int64_t bytes) override {
    std::fflush(file);
#ifdef _WIN32
    _chsize_s(_fileno(file), bytes);
#else
    if (ftruncate(fileno(file), static_cast<off_t>(bytes)) != 0) return;
#endif
    seekDataFile(file, bytes, SEEK_SET);
  }

  int64_t sizeAtOpen() const override { return openedSize; }

  void close() override {
    if (file != nullptr) std::fclose(file);
    file = nullptr;
  }
};
}  // namespace

FileAppender& stdioFileAppender() {
  static StdioFileAppender appender;
  return appender;
}
