// Little-endian fields of the formats the exports write, set byte by byte (never through a
// struct's layout, which differs between the Windows and Linux builds).
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

inline uint32_t getLe32(const unsigned char* at) {
  return uint32_t(at[0]) | (uint32_t(at[1]) << 8) | (uint32_t(at[2]) << 16) | (uint32_t(at[3]) << 24);
}
