// A strict reader of IRIG 106 Chapter 10 files for the tests, written from the standard's packet
// rules (Chapter 11): it stops at the first packet that breaks one and names the rule.
//
// It takes what the export writes and no more: a setup record first (TMATS, whose R-x\TK1-n and
// R-x\CDT-n attributes declare the channels), time packets of Time Data Format 1 in the day format,
// message packets of Message Data Format 0 of complete 4-byte messages.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct Ch10Word {
  uint16_t channel = 0;
  uint16_t subchannel = 0;
  bool dataError = false;
  bool formatError = false;
  uint32_t message = 0;         // the 4 message bytes, little-endian
  int64_t time = 0;             // 100 ns units since the start of day 0, from the time packet
  int64_t sinceTimePacket = 0;  // counter ticks after the time packet that dates it
  bool leapYear = false;        // that time packet's leap-year indication
};

struct Ch10Reading {
  std::string fault;  // the rule the packet at faultOffset breaks; empty when the file was read whole
  size_t faultOffset = 0;
  std::map<uint16_t, std::string> channelTypes;  // channel ID -> CDT (TIMEIN, MSGIN)
  size_t packets = 0;                            // read whole
  uint32_t largestPacket = 0;                    // in bytes
  std::vector<Ch10Word> words;                   // in packet order
};

Ch10Reading readChapter10(const std::vector<unsigned char>& file);
