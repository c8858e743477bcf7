#include "chapter10_reader.h"

#include <algorithm>
#include <sstream>

namespace {

uint16_t le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t le32(const unsigned char* p) { return uint32_t(le16(p)) | uint32_t(le16(p + 2)) << 16; }
uint64_t le48(const unsigned char* p) { return uint64_t(le32(p)) | uint64_t(le16(p + 4)) << 32; }

struct State {
  Ch10Reading& out;
  std::map<uint16_t, int> lastSequence;
  bool timeSeen = false;
  uint64_t timeCounter = 0;
  int64_t timeValue = 0;  // 100 ns units
  bool leapYear = false;
};

// "CODE:value;" attributes; the channel of each R-x\TK1-n, the type of each R-x\CDT-n.
bool readSetupText(const std::string& text, State& st) {
  std::map<std::string, std::string> tracks, types;
  std::istringstream in(text);
  std::string entry;
  while (std::getline(in, entry, ';')) {
    entry.erase(0, entry.find_first_not_of("\r\n"));
    const size_t colon = entry.find(':'), tk = entry.find("\\TK1-"), cdt = entry.find("\\CDT-");
    if (entry.empty() || entry.rfind("R-", 0) != 0) continue;
    if (colon == std::string::npos) return false;
    if (tk < colon) tracks[entry.substr(0, tk) + entry.substr(tk + 5, colon - tk - 5)] = entry.substr(colon + 1);
    if (cdt < colon) types[entry.substr(0, cdt) + entry.substr(cdt + 5, colon - cdt - 5)] = entry.substr(colon + 1);
  }
  for (const auto& track : tracks) {
    if (!types.count(track.first) || track.second.empty() ||
        track.second.find_first_not_of("0123456789") != std::string::npos) {
      return false;
    }
    st.out.channelTypes[static_cast<uint16_t>(std::stoul(track.second))] = types[track.first];
  }
  return true;
}

// Time Data Format 1, day format: data word, then BCD digits from tens of milliseconds up to
// hundreds of days, four to a 16-bit word.
const char* readTimePacket(const unsigned char* data, uint32_t length, uint64_t counter, State& st) {
  if (length != 10 || (le32(data) & 0xFFFF0E00u) != 0) return "time packet: length or data word";
  const uint16_t w0 = le16(data + 4), w1 = le16(data + 6), w2 = le16(data + 8);
  if ((w0 & 0x8000u) || (w1 & 0xC080u) || (w2 & 0xFC00u)) return "time packet: reserved bits";
  bool digitsValid = true;
  const auto number = [&digitsValid](uint16_t w, int digits) {
    unsigned value = 0;
    for (int d = digits - 1; d >= 0; --d) {
      const unsigned digit = (w >> 4 * d) & 0xF;
      digitsValid = digitsValid && digit <= 9;
      value = value * 10 + digit;
    }
    return int64_t{value};
  };
  const int64_t seconds = number(w0 >> 8, 2), hundredths = number(w0, 2), hours = number(w1 >> 8, 2);
  const int64_t minutes = number(w1, 2), day = number(w2, 3);
  if (!digitsValid || seconds > 59 || minutes > 59 || hours > 23) return "time packet: BCD digits";
  st.leapYear = (le32(data) & 0x100u) != 0;
  if (day == 366 && !st.leapYear) return "time packet: day 366 of a year that is not a leap year";
  st.timeSeen = true;
  st.timeCounter = counter;
  st.timeValue = ((((day * 24 + hours) * 60 + minutes) * 60 + seconds) * 100 + hundredths) * 100000;
  return nullptr;
}

// Message Data Format 0: data word (message count), then for each message an 8-byte time stamp, a
// 4-byte data header (length, subchannel, format and data error) and the message.
const char* readMessagePacket(const unsigned char* data, uint32_t length, uint16_t channel, State& st) {
  if (!st.timeSeen) return "message packet before the first time packet";
  if (length < 4 || (le32(data) >> 16) != 0) return "message packet: data word";
  uint32_t at = 4, seen = 0;
  for (; at + 16 <= length; at += 16, ++seen) {
    const unsigned char* entry = data + at;
    const uint32_t header = le32(entry + 8);
    if ((header & 0xFFFF) != 4) return "message packet: a message other than 4 bytes";
    Ch10Word w;
    w.channel = channel;
    w.subchannel = static_cast<uint16_t>((header >> 16) & 0x3FFF);
    w.formatError = (header >> 30) & 1;
    w.dataError = (header >> 31) & 1;
    w.message = le32(entry + 12);
    w.sinceTimePacket = static_cast<int64_t>(le48(entry) - st.timeCounter);
    w.time = st.timeValue + w.sinceTimePacket;
    w.leapYear = st.leapYear;
    st.out.words.push_back(w);
  }
  return at == length && seen == (le32(data) & 0xFFFF) ? nullptr : "message packet: count or lengths";
}

const char* readPacket(const std::vector<unsigned char>& file, size_t offset, State& st, uint32_t& packetLength) {
  const size_t left = file.size() - offset;
  if (left < 24) return "file ends inside a packet header";
  const unsigned char* p = file.data() + offset;
  if (le16(p) != 0xEB25) return "sync pattern";
  uint16_t headerSum = 0;
  for (int i = 0; i < 11; ++i) headerSum = static_cast<uint16_t>(headerSum + le16(p + 2 * i));
  if (headerSum != le16(p + 22)) return "header checksum";
  const uint16_t channel = le16(p + 2);
  packetLength = le32(p + 4);
  const uint32_t dataLength = le32(p + 8);
  const uint8_t sequence = p[13], flags = p[14], type = p[15];
  if (packetLength < 28 || packetLength % 4 != 0 || packetLength > 524288) return "packet length";
  if (left < packetLength) return "file ends inside a packet";
  // The export writes 32-bit data checksums and no secondary header.
  if (flags != 0x03) return "packet flags";
  const uint32_t covered = packetLength - 28;  // data and filler, before the data checksum
  if (dataLength > covered || covered - dataLength > 3) return "data length";
  const unsigned char* data = p + 24;
  uint32_t dataSum = 0;
  for (uint32_t i = 0; i < covered; i += 4) dataSum += le32(data + i);
  for (uint32_t i = dataLength; i < covered; ++i) {
    if (data[i] != 0) return "filler";
  }
  if (dataSum != le32(data + covered)) return "data checksum";
  const auto last = st.lastSequence.find(channel);
  if (last != st.lastSequence.end() && sequence != ((last->second + 1) & 0xFF)) return "sequence number";
  st.lastSequence[channel] = sequence;

  const auto declared = [&](const char* kind) {
    const auto it = st.out.channelTypes.find(channel);
    return it != st.out.channelTypes.end() && it->second == kind;
  };
  const char* fault = nullptr;
  if ((st.out.packets == 0) != (type == 0x01)) {
    fault = "a setup record first and only first";
  } else if (type == 0x01) {
    const uint32_t word = dataLength >= 4 ? le32(data) : 0xFFFFFFFFu;
    const bool valid = channel == 0 && (word & 0xFFFFFE00u) == 0 && (word & 0xFF) != 0 &&
                       readSetupText(std::string(data + 4, data + dataLength), st);
    fault = valid ? nullptr : "setup record";
  } else if (type == 0x11) {
    fault = declared("TIMEIN") ? readTimePacket(data, dataLength, le48(p + 16), st) : "undeclared time channel";
  } else if (type == 0x30) {
    fault = declared("MSGIN") ? readMessagePacket(data, dataLength, channel, st) : "undeclared message channel";
  } else {
    fault = "data type";
  }
  if (fault == nullptr) {
    ++st.out.packets;
    st.out.largestPacket = std::max(st.out.largestPacket, packetLength);
  }
  return fault;
}

}  // namespace

Ch10Reading readChapter10(const std::vector<unsigned char>& file) {
  Ch10Reading reading;
  State st{reading, {}, false, 0, 0, false};
  size_t offset = 0;
  while (offset < file.size()) {
    uint32_t length = 0;
    const char* fault = readPacket(file, offset, st, length);
    if (fault != nullptr) {
      reading.fault = fault;
      reading.faultOffset = offset;
      return reading;
    }
    offset += length;
  }
  if (reading.packets == 0) reading.fault = "no setup record";
  return reading;
}
