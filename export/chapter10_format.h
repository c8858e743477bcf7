// The IRIG 106 Chapter 10 file (Chapter 11 packets) as the export writes it.
//
// Every packet: a 24-byte header (sync pattern, channel ID, packet and data lengths, data type
// version, sequence number, flags, data type, 48-bit relative time counter, header checksum), the
// channel-specific data word, the data, zero filler up to a multiple of 4 bytes and a 32-bit data
// checksum. No secondary headers: intra-packet time stamps are relative time counter values.
//
// Channels: 0 the setup record (TMATS, Computer-Generated Data Format 1), 1 the time channel
// (Time Data Format 1, IRIG day format), 11 to 14 the buses J1 to J4 (Message Data Format 0,
// one complete message a bus word).
#pragma once
#include <cstdint>

namespace ch10 {

constexpr uint16_t kSyncPattern = 0xEB25;
constexpr unsigned kHeaderBytes = 24;
constexpr unsigned kChecksumBytes = 4;
constexpr uint32_t kMaxPacketBytes = 524288;

// Packet flags: a 32-bit data checksum, no secondary header, time stamps from the counter.
constexpr uint8_t kFlagsChecksum32 = 0x03;

// Data types and the data type version each is written with (the edition that last changed it,
// as the standard's list of data types gives it for RCC 106-22).
constexpr uint8_t kTypeSetupRecord = 0x01;
constexpr uint8_t kTypeTime = 0x11;
constexpr uint8_t kTypeMessage = 0x30;
constexpr uint8_t kVersionSetupRecord = 0x09;  // RCC 106-19
constexpr uint8_t kVersionTime = 0x06;         // RCC 106-13
constexpr uint8_t kVersionMessage = 0x06;      // RCC 106-13

// The setup record's channel-specific data word: RCC 106-22 (0x0E), TMATS as ASCII text, not a
// configuration change.
constexpr uint32_t kSetupRecordWord = 0x0E;

constexpr uint16_t kSetupChannel = 0;
constexpr uint16_t kTimeChannel = 1;
constexpr uint16_t kFirstBusChannel = 11;  // J1; J2 to J4 follow

// The relative time counter: 10 MHz, 48 bits; 5 ticks are the half microsecond of a time tag.
constexpr uint64_t kTicksPerSecond = 10000000;
constexpr uint64_t kTicksPerHalfMicro = 5;

// Message data: one intra-packet header (8-byte time stamp, 4-byte data header) and a 4-byte
// message for each bus word. The message is a little-endian longword: the 24-bit word in bits
// 0-23, the error flags Sh Lg Mn Py in bits 24-27, command sync in bit 28. The data header holds
// the message length, the subchannel (0 data sync, 1 command sync) and the data error flag (any
// error flag set).
constexpr unsigned kMessageBytes = 4;
constexpr unsigned kMessageEntryBytes = 16;
constexpr uint16_t kSubchannelDataSync = 0;
constexpr uint16_t kSubchannelCommandSync = 1;
constexpr uint32_t kDataErrorBit = 0x80000000u;

}  // namespace ch10
