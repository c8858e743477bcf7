#include "export/chapter10_packet.h"

#include "common/little_endian.h"
#include "export/chapter10_format.h"

size_t sealChapter10Packet(unsigned char* packet, size_t bodyEnd, const Chapter10PacketFields& fields) {
  const size_t dataLength = bodyEnd - ch10::kHeaderBytes;
  size_t end = bodyEnd;
  while (end % 4 != 0) packet[end++] = 0;
  uint32_t dataSum = 0;
  for (size_t at = ch10::kHeaderBytes; at < end; at += 4) dataSum += getLe32(packet + at);
  putLe32(packet + end, dataSum);
  end += ch10::kChecksumBytes;

  unsigned char* header = packet;
  putLe16(header, ch10::kSyncPattern);
  putLe16(header + 2, fields.channelId);
  putLe32(header + 4, static_cast<uint32_t>(end));
  putLe32(header + 8, static_cast<uint32_t>(dataLength));
  header[12] = fields.dataTypeVersion;
  header[13] = fields.sequence;
  header[14] = ch10::kFlagsChecksum32;
  header[15] = fields.dataType;
  putLe48(header + 16, fields.counter);
  uint16_t headerSum = 0;
  for (unsigned at = 0; at < ch10::kHeaderBytes - 2; at += 2) {
    headerSum = static_cast<uint16_t>(headerSum + getLe16(header + at));
  }
  putLe16(header + 22, headerSum);
  return end;
}
