// Sealing one Chapter 10 packet: header, filler and data checksum around a body already in place.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct Chapter10PacketFields {
  uint16_t channelId = 0;
  uint8_t dataTypeVersion = 0;
  uint8_t sequence = 0;
  uint8_t dataType = 0;
  uint64_t counter = 0;  // relative time counter of the packet's first data
};

// packet holds 24 bytes of room for the header followed by the body (channel-specific data word
// and data). Appends the zero filler that brings the packet to a multiple of 4 bytes and the
// 32-bit data checksum (the sum of the body's and the filler's little-endian longwords), then
// writes the header with its checksum (the sum of its first eleven 16-bit words).
void sealChapter10Packet(std::vector<unsigned char>& packet, const Chapter10PacketFields& fields);
