#include "export/chapter10_writer.h"

#include <algorithm>

#include "common/little_endian.h"
#include "export/chapter10_format.h"
#include "export/chapter10_packet.h"
#include "export/chapter10_setup.h"
#include "export/chapter10_time.h"
#include "files/bus_record.h"

namespace {

constexpr uint32_t kMaxWordsPerPacket = 4096;
constexpr uint64_t kMaxPacketSpanTicks = ch10::kTicksPerSecond / 10;
constexpr uint64_t kTimeJumpHalfMicros = kHalfMicrosPerHour;  // more than an hour ahead is a jump
constexpr uint64_t kHalfYearHalfMicros = 183 * kHalfMicrosPerDay;  // going back further turns the year
constexpr uint64_t kLeapDay = 366;
constexpr unsigned kBodyStart = ch10::kHeaderBytes + 4;  // after the channel-specific data word
constexpr size_t kFullPacketBytes = kBodyStart + kMaxWordsPerPacket * ch10::kMessageEntryBytes + kChapter10TrailerRoom;
static_assert(kFullPacketBytes <= ch10::kMaxPacketBytes, "a full message packet stays within the largest allowed");

// packet holds the header room and the body, with room for the trailer after them.
void writePacket(Chapter10Writer& w, unsigned char* packet, size_t bodyEnd, const Chapter10PacketFields& fields) {
  appendOutput(w.out, packet, sealChapter10Packet(packet, bodyEnd, fields));
}

void closeBus(Chapter10Writer& w, int index) {
  Chapter10Bus& bus = w.buses[index];
  if (bus.messages == 0) return;
  // Complete messages (type 0) and their number.
  putLe32(&bus.packet[ch10::kHeaderBytes], bus.messages);
  writePacket(w, bus.packet.data(), bus.used,
              {static_cast<uint16_t>(ch10::kFirstBusChannel + index), ch10::kVersionMessage, bus.sequence++,
               ch10::kTypeMessage, bus.firstCounter});
  ++w.counts.dataPackets;
  bus.messages = 0;
}

void closeAllBuses(Chapter10Writer& w) {
  for (int i = 0; i < 4; ++i) closeBus(w, i);
}

// A time packet at `counter` for the time it stands for (a 10 ms boundary).
void writeTimePacket(Chapter10Writer& w, uint64_t counter, uint64_t halfMicros) {
  closeAllBuses(w);
  w.scratch.assign(ch10::kHeaderBytes + kTimeBodyBytes + kChapter10TrailerRoom, 0);
  if (halfMicros / kHalfMicrosPerDay == kLeapDay) w.leapYear = true;
  if (!putTimeBody(&w.scratch[ch10::kHeaderBytes], halfMicros, w.leapYear)) ++w.counts.daysOutOfRange;
  writePacket(w, w.scratch.data(), ch10::kHeaderBytes + kTimeBodyBytes,
              {ch10::kTimeChannel, ch10::kVersionTime, w.timeSequence++, ch10::kTypeTime, counter});
  ++w.counts.timePackets;
}

// Ties the counter to a new stretch of time that starts with a record at `halfMicros`: the time
// packet stands for the 10 ms boundary at or before it, one tick after everything written so far.
void restartTime(Chapter10Writer& w, uint64_t halfMicros) {
  if (w.timed) ++w.counts.timeRestarts;
  if (w.timed && halfMicros < w.lastHalfMicros && w.lastHalfMicros - halfMicros > kHalfYearHalfMicros) {
    w.leapYear = false;  // a new year, whose kind is not known
  }
  w.baseHalfMicros = halfMicros - halfMicros % kTimePacketStepHalfMicros;
  w.baseCounter = w.timed ? w.lastCounter + 1 : 0;
  w.timed = true;
  writeTimePacket(w, w.baseCounter, w.baseHalfMicros);
  w.nextTimeCounter = w.baseCounter + ch10::kTicksPerSecond;
}

uint64_t counterOf(const Chapter10Writer& w, uint64_t halfMicros) {
  return w.baseCounter + ch10::kTicksPerHalfMicro * (halfMicros - w.baseHalfMicros);
}

void addRecord(Chapter10Writer& w, const unsigned char* record) {
  const uint64_t time = recordHalfMicros(w.clock, record);
  if (!w.timed || time < w.lastHalfMicros || time - w.lastHalfMicros > kTimeJumpHalfMicros) {
    restartTime(w, time);
  }
  const uint64_t counter = counterOf(w, time);
  while (counter >= w.nextTimeCounter) {
    writeTimePacket(w, w.nextTimeCounter,
                    w.baseHalfMicros + (w.nextTimeCounter - w.baseCounter) / ch10::kTicksPerHalfMicro);
    w.nextTimeCounter += ch10::kTicksPerSecond;
  }
  w.lastHalfMicros = time;
  w.lastCounter = counter;

  const uint32_t longword2 = recordLongword(record, 2);
  const int index = static_cast<int>(fieldValue(longword2, busfield::kBusChannel));
  Chapter10Bus& bus = w.buses[index];
  if (bus.messages == kMaxWordsPerPacket || (bus.messages != 0 && counter - bus.firstCounter >= kMaxPacketSpanTicks)) {
    closeBus(w, index);
  }
  if (bus.messages == 0) {
    if (bus.packet.empty()) {
      bus.packet.resize(kBodyStart + kMaxWordsPerPacket * ch10::kMessageEntryBytes + kChapter10TrailerRoom);
    }
    bus.used = kBodyStart;
    bus.firstCounter = counter;
  }
  unsigned char* entry = &bus.packet[bus.used];
  bus.used += ch10::kMessageEntryBytes;
  const uint32_t commandSyncBit = fieldValue(longword2, busfield::kCommandSync);
  const bool anyError = fieldValue(longword2, busfield::kErrorFlags) != 0;
  // The bus word with its error flags and sync bit; the channel goes by the packet's channel id.
  const uint32_t kept =
      fieldPlace(busfield::kBusWord) | fieldPlace(busfield::kErrorFlags) | fieldPlace(busfield::kCommandSync);
  putLe48(entry, counter);
  entry[6] = 0;
  entry[7] = 0;
  putLe32(entry + 8, ch10::kMessageBytes | commandSyncBit << 16 | (anyError ? ch10::kDataErrorBit : 0u));
  putLe32(entry + 12, longword2 & kept);
  ++bus.messages;
  ++w.counts.records;
}

}  // namespace

void beginChapter10(Chapter10Writer& writer, ByteSink sink, const std::string& sourceName) {
  writer = Chapter10Writer{};
  startOutput(writer.out, std::move(sink));
  const std::string setup = chapter10SetupText(sourceName);
  writer.scratch.assign(kBodyStart + setup.size() + kChapter10TrailerRoom, 0);
  putLe32(&writer.scratch[ch10::kHeaderBytes], ch10::kSetupRecordWord);
  std::copy(setup.begin(), setup.end(), writer.scratch.begin() + kBodyStart);
  writePacket(writer, writer.scratch.data(), kBodyStart + setup.size(),
              {ch10::kSetupChannel, ch10::kVersionSetupRecord, writer.setupSequence++, ch10::kTypeSetupRecord, 0});
}

void addChapter10Records(Chapter10Writer& writer, const unsigned char* records, size_t count) {
  for (size_t i = 0; i < count; ++i) addRecord(writer, records + i * kBusRecordBytes);
}

StatusCode finishChapter10(Chapter10Writer& writer) {
  closeAllBuses(writer);
  return flushOutput(writer.out) ? StatusCode::Success : StatusCode::FileWriteError;
}

StatusCode exportChapter10(const std::string& path, const RecordSelection& selection, const std::string& sourceName,
                           ByteSink sink, Chapter10Counts& counts, const ScanProgress* progress) {
  Chapter10Writer writer;
  beginChapter10(writer, std::move(sink), sourceName);
  StatusCode status = forEachSelectedRun(
      path, selection,
      [&](uint64_t, const unsigned char* records, size_t count) {
        addChapter10Records(writer, records, count);
        return !writer.out.failed;
      },
      progress);
  if (ok(status)) status = finishChapter10(writer);
  counts = writer.counts;
  return status;
}
