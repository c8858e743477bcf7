// Little-endian fields of the files written and read (data files, saved indexes and settings,
// exports), set and read byte by byte: never through a struct's layout, which differs between
// the Windows and Linux builds.
#pragma once
#include <cstdint>

inline void putLe16(unsigned char* at, uint16_t value) {
  at[0] = static_cast<unsigned char>(value);
  at[1] = static_cast<unsigned char>(value >> 8);
}

inline void putLe32(unsigned char* at, uint32_t value) {
  putLe16(at, static_cast<uint16_t>(value));
  putLe16(at + 2, static_cast<uint16_t>(value >> 16));
}

// The low 48 bits of value.
inline void putLe48(unsigned char* at, uint64_t value) {
  putLe32(at, static_cast<uint32_t>(value));
  putLe16(at + 4, static_cast<uint16_t>(value >> 32));
}

inline void putLe64(unsigned char* at, uint64_t value) {
  putLe32(at, static_cast<uint32_t>(value));
  putLe32(at + 4, static_cast<uint32_t>(value >> 32));
}

inline uint16_t getLe16(const unsigned char* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }

inline uint32_t getLe32(const unsigned char* at) {
  return uint32_t(at[0]) | (uint32_t(at[1]) << 8) | (uint32_t(at[2]) << 16) | (uint32_t(at[3]) << 24);
}

inline uint64_t getLe64(const unsigned char* at) { return uint64_t(getLe32(at)) | (uint64_t(getLe32(at + 4)) << 32); }
