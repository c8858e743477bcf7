#include "sim/kolva_card.h"

#include <cstring>

#include "card/card_registers.h"
#include "common/little_endian.h"
#include "files/bus_record.h"

namespace {

constexpr uint64_t kNanosPerHalfMicro = 500;

// Memory in host (little-endian) byte order.
uint16_t memoryWord(const KolvaCard& card, uint32_t address) { return getLe16(&card.memory[address]); }

void storeWord(KolvaCard& card, uint32_t address, uint16_t value) { putLe16(&card.memory[address], value); }

uint32_t memoryLongword(const KolvaCard& card, uint32_t address) { return getLe32(&card.memory[address]); }

uint16_t registerValue(const KolvaCard& card, uint32_t offset) { return memoryWord(card, offset ^ 2u); }
void setRegister(KolvaCard& card, uint32_t offset, uint16_t value) { storeWord(card, offset ^ 2u, value); }

// Two registers read as one 32-bit value, the lower register as the upper half.
uint32_t registerPair(const KolvaCard& card, uint32_t offset) {
  return (uint32_t{registerValue(card, offset)} << 16) | registerValue(card, offset + 2);
}

uint32_t writePointer(const KolvaCard& card) {
  return writePointerOf(registerValue(card, reg::kWritePointerHigh), registerValue(card, reg::kWritePointerLow));
}

void storeWritePointer(KolvaCard& card, uint32_t pointer) {
  setRegister(card, reg::kWritePointerHigh, writePointerHigh(pointer));
  setRegister(card, reg::kWritePointerLow, writePointerLow(pointer));
}

bool inRing(const KolvaCard& card, uint32_t pointer) {
  return pointer >= card.ringStart && pointer + kBusRecordBytes <= card.ringEnd;
}

// Floor division of a signed nanosecond difference into half-microseconds.
int64_t halfMicrosFloor(int64_t nanoseconds) {
  const int64_t unit = static_cast<int64_t>(kNanosPerHalfMicro);
  return nanoseconds >= 0 ? nanoseconds / unit : -((-nanoseconds + unit - 1) / unit);
}

void updateCaptureLead(KolvaCard& card) {
  card.captureLead = halfMicrosFloor(static_cast<int64_t>(card.captureStartNs - card.clockBaseNs));
}

void setClock(KolvaCard& card, const CardTime& time, uint64_t now) {
  card.clockBase = normaliseCardTime(time);
  card.clockBaseNs = now;
  startRecordTagger(card.tagger, card.clockBase);
  updateCaptureLead(card);
}

void lockToIrig(KolvaCard& card, uint64_t now) {
  const LocalTime local = card.localTime ? card.localTime() : LocalTime{};
  setClock(card, cardTimeFromLocal(local), now);
}

bool followsIrig(const KolvaCard& card) { return card.timeSourceIrig && card.config.irigSignalPresent; }

// Stores every word that has arrived by `now` at the write pointer.
void captureUntil(KolvaCard& card, uint64_t now) {
  if (!card.capturing || now < card.captureStartNs) return;
  const uint64_t elapsed = (now - card.captureStartNs) / kNanosPerHalfMicro;
  if (peekTraffic(card.traffic).arrival > elapsed) return;
  uint32_t pointer = writePointer(card);
  if (!inRing(card, pointer)) pointer = card.ringStart;
  uint8_t* memory = card.memory.data();
  while (peekTraffic(card.traffic).arrival <= elapsed) {
    const BusWordEvent word = nextTraffic(card.traffic);
    const int64_t since = card.captureLead + static_cast<int64_t>(word.arrival);
    encodeCardRecord(card.tagger, since < 0 ? 0 : static_cast<uint64_t>(since), word, memory + pointer);
    pointer += kBusRecordBytes;
    if (pointer + kBusRecordBytes > card.ringEnd) pointer = card.ringStart;
    ++card.recordsWritten;
  }
  storeWritePointer(card, pointer);
}

void configure(KolvaCard& card, uint64_t now) {
  card.capturing = false;
  card.timeSourceIrig = (registerValue(card, reg::kTimeSource) & kTimeSourceIrig) != 0;
  const uint64_t start = uint64_t{registerPair(card, reg::kRingStartPair)} * ring::kBoundUnit;
  const uint64_t end = uint64_t{registerPair(card, reg::kRingEndPair)} * ring::kBoundUnit;
  card.ringUsable = start >= ring::kBoundUnit && start < end && end <= reg::kMemoryBytes;
  if (card.ringUsable) {
    card.ringStart = static_cast<uint32_t>(start);
    card.ringEnd = static_cast<uint32_t>(end);
    storeWritePointer(card, card.ringStart);
  }
  if (followsIrig(card)) lockToIrig(card, now);
}

void loadTime(KolvaCard& card, uint64_t now) {
  const uint16_t wordA = registerValue(card, reg::kTimeWordA);
  const uint16_t wordB = registerValue(card, reg::kTimeWordB);
  if (followsIrig(card)) {
    lockToIrig(card, now);
  } else if ((wordA & kTimeWordAIrigBits) != kTimeWordAIrigBits) {
    setClock(card, cardTimeFromWords(wordA, wordB), now);
  }
}

void startCapture(KolvaCard& card, uint64_t now) {
  if (card.capturing || !card.ringUsable) return;
  card.capturing = true;
  card.captureStartNs = now;
  updateCaptureLead(card);
  if (card.traffic.kind == TrafficKind::kGenerated) card.traffic.config = card.config.traffic;
  restartTraffic(card.traffic);
}

void execute(KolvaCard& card, uint16_t command, uint64_t now) {
  switch (command) {
    case cmd::kConfigure:
      configure(card, now);
      break;
    case cmd::kLoadTime:
      loadTime(card, now);
      break;
    case cmd::kStartCapture:
      startCapture(card, now);
      break;
    case cmd::kStopCapture:
      card.capturing = false;
      break;
    default:  // unknown codes complete without effect
      break;
  }
}

void runCommand(KolvaCard& card, uint64_t now) {
  const CommandCompletion& completion = card.config.completion;
  card.commandPending = false;
  switch (completion.mode) {
    case CommandCompletion::kNever:
      card.commandPending = true;
      card.readsToCompletion = 0;
      return;
    case CommandCompletion::kAfterReads:
      if (completion.reads > 0) {
        execute(card, registerValue(card, reg::kCommand), now);
        card.commandPending = true;
        card.readsToCompletion = completion.reads;
        return;
      }
      break;
    case CommandCompletion::kImmediate:
      break;
  }
  execute(card, registerValue(card, reg::kCommand), now);
  setRegister(card, reg::kCommand, 0);
}

void latchTime(KolvaCard& card, uint64_t now) {
  const CardTime time = kolvaTimeAt(card, now);
  card.latchedWords[0] = cardTimeWord(time) | (card.config.irigSignalPresent ? 0u : tagfield::kNoSignal);
  card.latchedWords[1] = cardFractionWord(time);
  card.latchedLeft = 2;
}

uint16_t readCommandRegister(KolvaCard& card) {
  if (card.commandPending && card.readsToCompletion > 0 && --card.readsToCompletion == 0) {
    card.commandPending = false;
    setRegister(card, reg::kCommand, 0);
  }
  return registerValue(card, reg::kCommand);
}

uint64_t catchUp(KolvaCard& card) {
  const uint64_t now = card.clock->nowNanoseconds();
  captureUntil(card, now);
  return now;
}

}  // namespace

void initKolvaCard(KolvaCard& card, const KolvaCardConfig& config, SteadyClock& clock,
                   std::function<LocalTime()> localTime) {
  card.config = config;
  card.clock = &clock;
  card.localTime = std::move(localTime);
  if (config.replayPath.empty()) {
    useGeneratedTraffic(card.traffic, config.traffic);
  } else {
    useReplayTraffic(card.traffic, config.replayPath);
  }
  resetKolvaCard(card);
}

void resetKolvaCard(KolvaCard& card) {
  card.memory.assign(reg::kMemoryBytes, 0);
  card.commandPending = false;
  card.readsToCompletion = 0;
  card.timeSourceIrig = false;
  card.latchedWords[0] = card.latchedWords[1] = 0;
  card.latchedLeft = 0;
  card.capturing = false;
  card.ringUsable = true;
  card.ringStart = ring::kStart;
  card.ringEnd = ring::kEnd;
  card.captureStartNs = 0;
  card.recordsWritten = 0;
  card.writeLog.clear();
  setClock(card, CardTime{}, card.clock->nowNanoseconds());
  restartTraffic(card.traffic);
}

uint16_t kolvaReadWord(KolvaCard& card, uint32_t address) {
  catchUp(card);
  const uint32_t offset = address ^ 2u;
  switch (offset) {
    case reg::kCommand:
      return readCommandRegister(card);
    default:
      return memoryWord(card, address);
  }
}

void kolvaWriteWord(KolvaCard& card, uint32_t address, uint16_t value) {
  const uint64_t now = catchUp(card);
  const uint32_t offset = address ^ 2u;
  storeWord(card, address, value);
  if (card.config.keepWriteLog) card.writeLog.push_back(RegisterWrite{offset, value});
  switch (offset) {
    case reg::kDoorbell:
      if (value == doorbell::kRunCommand) runCommand(card, now);
      if (value == doorbell::kLatchTime) latchTime(card, now);
      break;
    case reg::kCommand:  // a new code: nothing is pending until its doorbell
      card.commandPending = false;
      break;
    default:  // set-up words, time words, write pointer, ring memory: stored only
      break;
  }
}

uint32_t kolvaReadLongword(KolvaCard& card, uint32_t address) {
  catchUp(card);
  if (address == reg::kTimeWords && card.latchedLeft > 0) {
    const uint32_t word = card.latchedWords[2 - card.latchedLeft];
    --card.latchedLeft;
    return word;
  }
  return memoryLongword(card, address);
}

void kolvaReadBlock(KolvaCard& card, uint32_t address, uint32_t bytes, bool autoincrement, void* out) {
  catchUp(card);
  unsigned char* target = static_cast<unsigned char*>(out);
  if (autoincrement) {
    std::memcpy(target, card.memory.data() + address, bytes);
    return;
  }
  for (uint32_t i = 0; i + 1 < bytes; i += 2) {
    target[i] = card.memory[address];
    target[i + 1] = card.memory[address + 1];
  }
}

void kolvaSetIrigSignal(KolvaCard& card, bool present) {
  const uint64_t now = catchUp(card);
  const bool returning = present && !card.config.irigSignalPresent;
  card.config.irigSignalPresent = present;
  if (returning && card.timeSourceIrig) lockToIrig(card, now);
}

CardTime kolvaTimeAt(const KolvaCard& card, uint64_t nanoseconds) {
  const uint64_t elapsed = nanoseconds > card.clockBaseNs ? nanoseconds - card.clockBaseNs : 0;
  return normaliseCardTime(CardTime{card.clockBase.halfMicros + elapsed / kNanosPerHalfMicro, card.clockBase.yearMod4});
}
