// A strict reader of IRIG 106 Chapter 10 files for the tests, written from the standard's packet
// rules (Chapter 11): it stops at the first packet that breaks one and says which rule.
//
// It reads what the export writes and no more: a setup record first (ASCII TMATS, whose R-x\TK1-n
// and R-x\CDT-n attributes declare the channels), time packets of Time Data Format 1 in the day
// format, message packets of Message Data Format 0 made of complete messages. Secondary headers and
// other data types are refused as unsupported.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

enum class Ch10Fault {
  None,
  Truncated,          // the file ends inside a packet
  SyncPattern,        // a packet does not start with 0xEB25
  HeaderChecksum,     // the 16-bit sum of the header's first eleven words differs
  Length,             // packet and data lengths do not agree, or break the size limits
  Filler,             // a filler byte is not zero
  DataChecksum,       // the data checksum differs
  Sequence,           // a channel's sequence number did not go up by one
  Unsupported,        // flags, data type or version this reader does not take
  SetupRecord,        // the first packet is not a valid setup record, or one comes later
  UndeclaredChannel,  // a packet on a channel the setup record does not declare for its type
  TimeBody,           // a time packet's data word or BCD digits are invalid
  TimeMissing,        // a data packet before the first time packet
  MessageLayout,      // message count, lengths or intra-packet headers do not add up
  IntraPacketTime,    // a time stamp before the packet's counter or before the one before it
};

struct Ch10Packet {
  size_t offset = 0;
  uint16_t channel = 0;
  uint8_t dataType = 0;
  uint32_t length = 0;
};

struct Ch10Word {
  uint16_t channel = 0;
  uint16_t subchannel = 0;
  bool dataError = false;
  bool formatError = false;
  uint32_t message = 0;          // the 4 message bytes, little-endian
  uint64_t counter = 0;          // the intra-packet time stamp
  int64_t time = 0;              // 100 ns units since the start of day 0, from the time packet
  int64_t sinceTimePacket = 0;   // counter ticks after the time packet that dates it
};

struct Ch10Reading {
  Ch10Fault fault = Ch10Fault::None;
  size_t faultOffset = 0;
  std::string setupText;
  std::map<uint16_t, std::string> channelTypes;  // channel ID -> CDT (TIMEIN, MSGIN)
  std::vector<Ch10Packet> packets;               // every packet read whole
  std::vector<Ch10Word> words;                   // in packet order
  std::vector<uint64_t> timeCounters;            // of the time packets
};

Ch10Reading readChapter10(const std::vector<unsigned char>& file);
