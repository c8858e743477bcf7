#include "export/chapter10_packet.h"

#include "export/chapter10_format.h"
#include "export/little_endian.h"

void sealChapter10Packet(std::vector<unsigned char>& packet, const Chapter10PacketFields& fields) {
  const size_t dataLength = packet.size() - ch10::kHeaderBytes;
  packet.resize(packet.size() + (4 - dataLength % 4) % 4, 0);
  uint32_t dataSum = 0;
  for (size_t at = ch10::kHeaderBytes; at < packet.size(); at += 4) dataSum += getLe32(&packet[at]);
  packet.resize(packet.size() + ch10::kChecksumBytes);
  putLe32(&packet[packet.size() - ch10::kChecksumBytes], dataSum);

  unsigned char* header = packet.data();
  putLe16(header, ch10::kSyncPattern);
  putLe16(header + 2, fields.channelId);
  putLe32(header + 4, static_cast<uint32_t>(packet.size()));
  putLe32(header + 8, static_cast<uint32_t>(dataLength));
  header[12] = fields.dataTypeVersion;
  header[13] = fields.sequence;
  header[14] = ch10::kFlagsChecksum32;
  header[15] = fields.dataType;
  putLe48(header + 16, fields.counter);
  uint16_t headerSum = 0;
  for (unsigned at = 0; at < ch10::kHeaderBytes - 2; at += 2) {
    headerSum = static_cast<uint16_t>(headerSum + (header[at] | (header[at + 1] << 8)));
  }
  putLe16(header + 22, headerSum);
}
