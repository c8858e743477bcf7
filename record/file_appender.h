// How the drain appends to the data file: open it ("r+b"), go to its end, write, close. A seam so
// that tests can make the disk fill up or the file vanish between two drains.
#pragma once
#include <cstddef>
#include <cstdint>

struct FileAppender {
  virtual ~FileAppender() = default;
  // Opens an existing file for appending at its end; false when it cannot be opened.
  virtual bool open(const char* path) = 0;
  // Writes bytes at the end; returns how many were written.
  virtual size_t write(const void* data, size_t bytes) = 0;
  // Cuts the file back to `bytes` long (used to drop a partial record after a short write).
  virtual void truncate(int64_t bytes) = 0;
  // The file's size when it was opened.
  virtual int64_t sizeAtOpen() const = 0;
  virtual void close() = 0;
};

// The stdio implementation, with 64-bit positions.
FileAppender& stdioFileAppender();
