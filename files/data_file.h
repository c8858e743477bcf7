// Opening and positioning data files with 64-bit offsets on every platform.
// openDataFile refuses a folder (null, as for a file that cannot be opened); "-" opened for
// reading is standard input.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

FILE* openDataFile(const char* path, const char* mode);

// A regular file opened for reading, or null: a pipe, device or folder of that name is turned away
// without being opened in a way that could wait (for a writer, a device, a network share).
FILE* openRegularFile(const char* path);

// Something of that name is there (a link counts, whether it leads anywhere or not).
bool pathExists(const char* path);
bool seekDataFile(FILE* file, int64_t offset, int origin);
int64_t tellDataFile(FILE* file);
// Reads until count bytes have arrived or the file ends; returns the bytes read.
size_t readDataFileFully(FILE* file, unsigned char* into, size_t count);

// The size in bytes of an open file, or -1; the position is kept.
int64_t dataFileSize(FILE* file);
// The bytes from the current position to the end, or -1 for a file that cannot seek. Standard
// input may be a file that someone else has read partly: it is read from where it stands.
int64_t dataFileBytesLeft(FILE* file);
