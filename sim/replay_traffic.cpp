#include "sim/replay_traffic.h"

#include "files/bus_record.h"
#include "files/data_file.h"

namespace {

constexpr size_t kReadAheadRecords = 4096;

bool refill(ReplayTraffic& replay) {
  if (!replay.file) return false;
  replay.filled = std::fread(replay.buffer.data(), 1, replay.buffer.size(), replay.file.get());
  replay.filled -= replay.filled % kBusRecordBytes;  // a trailing part record is never replayed
  replay.position = 0;
  return replay.filled > 0;
}

void loadNext(ReplayTraffic& replay) {
  if (replay.position >= replay.filled && !refill(replay)) {
    replay.next = BusWordEvent{};
    replay.next.arrival = kNoMoreTraffic;
    return;
  }
  const BusRecord record = busRecordFromBytes(replay.buffer.data() + replay.position);
  replay.position += kBusRecordBytes;
  const uint64_t tag = timeTagHalfMicrosExact(timeTagOf(record));
  if (!replay.haveFirst) {
    replay.haveFirst = true;
    replay.firstTag = tag;
  }
  uint64_t arrival = tag >= replay.firstTag ? tag - replay.firstTag : 0;
  if (arrival < replay.lastArrival) arrival = replay.lastArrival;
  replay.lastArrival = arrival;
  replay.next.arrival = arrival;
  replay.next.busWord = busWord(record);
  replay.next.busChannel = static_cast<uint8_t>(busChannel(record));
  replay.next.commandSync = static_cast<uint8_t>(commandSync(record));
  replay.next.errorFlags = static_cast<uint8_t>(errorFlags(record));
}

}  // namespace

bool openReplayTraffic(ReplayTraffic& replay, const std::string& path) {
  replay.path = path;
  replay.file.reset(openDataFile(path.c_str(), "rb"));
  replay.buffer.assign(kReadAheadRecords * kBusRecordBytes, 0);
  rewindReplayTraffic(replay);
  return static_cast<bool>(replay.file);
}

void rewindReplayTraffic(ReplayTraffic& replay) {
  if (replay.file) seekDataFile(replay.file.get(), 0, SEEK_SET);
  replay.filled = 0;
  replay.position = 0;
  replay.haveFirst = false;
  replay.firstTag = 0;
  replay.lastArrival = 0;
  loadNext(replay);
}

BusWordEvent nextReplayWord(ReplayTraffic& replay) {
  const BusWordEvent word = replay.next;
  if (word.arrival != kNoMoreTraffic) loadNext(replay);
  return word;
}
