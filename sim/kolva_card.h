// Register-level model of the KOLVA bus-recorder card.
//
// Models: 0xA0000 bytes of card memory in host byte order, with 16-bit register n at byte
// n XOR 2 (a 32-bit read at offset 0 sees register 0 as its upper half); the command handshake
// (code in register 4, doorbell 0x302 in register 0, register 4 reads 0 once done) for configure
// (3), start capture (10), stop capture (11) and load time (12); the card's clock (day of year,
// hours, minutes, seconds, half-microseconds) with the internal and the IRIG-B source; the time
// latch (doorbell 0x303, then two 32-bit reads at offset 0); and capture: every bus word whose
// arrival has passed is stored as a 16-byte record at the write pointer (registers 36 and 38),
// which moves on by 16 and wraps from the ring end to the ring start.
//
// Leaves out: the meaning of the other set-up words (the masks at 0x12, 0x20 and 0x100C, the
// words at 0x1004 and 0x1012), which are stored and otherwise ignored; interrupts; overrun
// signalling (a ring the host does not empty in time is simply overwritten).
//
// Chosen where the card's behaviour is not known:
// - A command takes effect at its doorbell. By default register 4 then reads 0 at once. A test
//   can make it read 0 only on the Nth read after the doorbell, or never; a command that never
//   completes has no effect at all (the card is stuck).
// - The IRIG-B time is the host's local time (whole seconds), taken when the card locks on to it
//   (configure or load time with the IRIG-B source, or the signal returning while that source is
//   selected) and run on from there by the steady clock. Without a signal the clock runs on.
// - Load time with word A's low 14 bits all set (what the recorder writes for IRIG-B input)
//   loads no digits: with the IRIG-B source and a signal the clock locks on to IRIG-B time,
//   otherwise it runs on. Other words load their digits (with no fraction of a second); while the IRIG-B
//   source has a signal the clock stays on IRIG-B time instead.
// - Bit 31 of the first latched time word is set while there is no IRIG-B signal, whatever the
//   time source. Records carry zeros in the bits no reader looks at and in their reserved words.
//   After the two latched words, 32-bit reads at offset 0 return the memory there.
// - Configure stops capture, takes the time source (register 0x38 bit 15) and the ring bounds
//   (register pairs 0x1018 and 0x101C, each times 0x10000) and puts the write pointer at the ring
//   start. Bounds that are not ascending within 0x10000..0xA0000 leave no usable ring: start
//   capture then does nothing.
// - Start capture restarts the bus traffic from its beginning (the generator from its seed, a
//   replay from its first record), so that a recording can be regenerated word for word; the
//   traffic's arrival times count from that command. Start while capturing changes nothing.
// - A write pointer outside the ring (the host can write registers 36 and 38) sends the next
//   record to the ring start.
// - Time moves only through the steady clock; the model catches up lazily at each host access.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "card/card_registers.h"
#include "common/local_time.h"
#include "sim/card_time.h"
#include "sim/sim_clock.h"
#include "sim/traffic_source.h"

// When register 4 reads 0 after a command's doorbell.
struct CommandCompletion {
  enum Mode : uint8_t { kImmediate, kAfterReads, kNever };
  Mode mode = kImmediate;
  uint32_t reads = 0;  // kAfterReads: the read that first returns 0 (1 = the first read)
};

// One 16-bit register write by the host: the register offset (not the XOR-ed byte) and value.
struct RegisterWrite {
  uint32_t offset;
  uint16_t value;
};

struct KolvaCardConfig {
  bool irigSignalPresent = true;
  CommandCompletion completion;
  TrafficConfig traffic;
  std::string replayPath;    // non-empty: replay this data file instead of generated traffic
  bool keepWriteLog = true;  // off in the demonstration build, where nobody reads it
};

struct KolvaCard {
  // Wiring.
  SteadyClock* clock = nullptr;
  std::function<LocalTime()> localTime;
  KolvaCardConfig config;

  std::vector<uint8_t> memory;  // reg::kMemoryBytes, host byte order

  // Command handshake.
  bool commandPending = false;  // register 4 still holds a code the host is waiting on
  uint32_t readsToCompletion = 0;

  // Clock: the card's time is base + (steady now - baseNs).
  CardTime clockBase;
  uint64_t clockBaseNs = 0;
  bool timeSourceIrig = false;
  uint32_t latchedWords[2] = {0, 0};
  int latchedLeft = 0;

  // Capture.
  bool capturing = false;
  bool ringUsable = true;
  uint32_t ringStart = ring::kStart;
  uint32_t ringEnd = ring::kEnd;
  uint64_t captureStartNs = 0;
  int64_t captureLead = 0;  // half-microseconds from the clock base to the capture start
  TrafficSource traffic;
  RecordTagger tagger;
  uint64_t recordsWritten = 0;

  // What tests look at.
  std::vector<RegisterWrite> writeLog;
};

// Wires the card to its clock and local time and resets it.
void initKolvaCard(KolvaCard& card, const KolvaCardConfig& config, SteadyClock& clock,
                   std::function<LocalTime()> localTime);

// Power-on state: memory zero, no command pending, capture stopped, internal time source, clock
// at day 1 00:00:00, default ring 0x20000..0xA0000, traffic from its beginning.
void resetKolvaCard(KolvaCard& card);

// Host accesses at a byte address within the card's memory (the caller checks the range).
uint16_t kolvaReadWord(KolvaCard& card, uint32_t address);
void kolvaWriteWord(KolvaCard& card, uint32_t address, uint16_t value);
uint32_t kolvaReadLongword(KolvaCard& card, uint32_t address);
// Copies `bytes` of memory from address, or with autoincrement off the word at address repeated.
void kolvaReadBlock(KolvaCard& card, uint32_t address, uint32_t bytes, bool autoincrement, void* out);

// The IRIG-B signal comes or goes (the clock catches up first).
void kolvaSetIrigSignal(KolvaCard& card, bool present);

// Views for tests and tools; they do not move time.
CardTime kolvaTimeAt(const KolvaCard& card, uint64_t nanoseconds);
