// Deterministic bus traffic for the simulated card: on each enabled channel (J1 to J4) messages of
// one command word (command sync) followed by a few data words (data sync), words about 20 us
// apart, idle gaps between messages sized so that all channels together carry the configured
// rate on average. Command words are MDM-shaped: terminal address in bits 23-19, a flag in bit
// 18, a command code in bits 17-14 and the number of data words that follow in bits 13-0.
// A small share of words carries error flags.
//
// The sequence depends on the configuration only (integer arithmetic, no host randomness), so a
// test or a tool can regenerate exactly the words a simulated recording received.
#pragma once
#include <cstdint>

// One bus word as the card receives it.
struct BusWordEvent {
  uint64_t arrival = 0;     // half-microseconds after the traffic started
  uint32_t busWord = 0;     // 24 bits
  uint8_t busChannel = 0;   // 0 to 3: J1 to J4
  uint8_t commandSync = 0;  // 1 command sync, 0 data sync
  uint8_t errorFlags = 0;   // bit 0 Sh, bit 1 Lg, bit 2 Mn, bit 3 Py
};

// The arrival of a word that never comes (end of a replay, or no traffic at all).
constexpr uint64_t kNoMoreTraffic = ~uint64_t{0};

constexpr int kBusChannels = 4;

struct TrafficConfig {
  uint64_t seed = 0x4B4F4C5641ull;
  uint32_t wordsPerSecond = 20000;      // all channels together; 0 for a silent bus
  uint32_t wordSpacingHalfMicros = 40;  // word to word within a message (20 us)
  uint8_t channelMask = 0xF;            // bit 0 J1 ... bit 3 J4; 0 counts as all four
  uint32_t maxDataWords = 4;            // data words per message: 1 to this
  uint32_t errorOneIn = 2000;           // one word in this many carries error flags; 0: none
};

// One channel's stream.
struct TrafficLane {
  uint64_t random = 0;         // splitmix64 state
  BusWordEvent next;           // this channel's next word
  uint32_t dataWordsLeft = 0;  // data words still to come in the current message
  uint32_t messageWords = 0;   // words of the current message
  uint8_t terminalBase = 0;
};

struct TrafficGenerator {
  TrafficConfig config;
  uint32_t spacing = 0;  // half-microseconds between words of a message
  uint32_t period = 0;   // mean half-microseconds per word on one channel
  int laneCount = 0;
  int nextLane = 0;      // the lane whose word arrives first
  TrafficLane lanes[kBusChannels];
  uint64_t wordsProduced = 0;
};

// Starts the traffic from its beginning.
void resetTrafficGenerator(TrafficGenerator& generator, const TrafficConfig& config);

// The word that arrives next, without taking it.
inline const BusWordEvent& peekBusWord(const TrafficGenerator& generator) {
  return generator.lanes[generator.nextLane].next;
}

// Takes the next word.
BusWordEvent nextBusWord(TrafficGenerator& generator);
