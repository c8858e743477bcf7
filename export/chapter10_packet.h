// Sealing one Chapter 10 packet: header, filler and data checksum around a body already in place.
#pragma once
#include <cstddef>
#include <cstdint>

struct Chapter10PacketFields {
  uint16_t channelId = 0;
  uint8_t dataTypeVersion = 0;
  uint8_t sequence = 0;
  uint8_t dataType = 0;
  uint64_t counter = 0;  // relative time counter of the packet's first data
};

// The room a packet needs after its body: filler and checksum.
constexpr size_t kChapter10TrailerRoom = 7;

// packet holds 24 bytes of room for the header, then the body (channel-specific data word and
// data) up to bodyEnd, then at least kChapter10TrailerRoom bytes of room. Adds the zero filler that
// brings the packet to a multiple of 4 bytes and the 32-bit data checksum (the sum of the body's
// and the filler's little-endian longwords), then writes the header with its checksum (the sum of
// its first eleven 16-bit words). Returns the packet's length.
size_t sealChapter10Packet(unsigned char* packet, size_t bodyEnd, const Chapter10PacketFields& fields);
