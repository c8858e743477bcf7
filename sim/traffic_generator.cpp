#include "sim/traffic_generator.h"

#include "common/record_layout.h"

namespace {

uint64_t splitMix(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

uint8_t errorFlagsFor(const TrafficConfig& config, uint64_t random) {
  if (config.errorOneIn == 0) return 0;
  if (static_cast<uint32_t>(random) % config.errorOneIn != 0) return 0;
  return static_cast<uint8_t>(1 + (random >> 60) % 15);
}

// Fills lane.next with the word arriving at `arrival`: a command word when the previous message
// is complete, otherwise its next data word.
void makeWord(const TrafficGenerator& generator, TrafficLane& lane, uint64_t arrival) {
  const TrafficConfig& config = generator.config;
  const uint64_t r = splitMix(lane.random);
  lane.next.arrival = arrival;
  if (lane.dataWordsLeft == 0) {
    const uint32_t maxData = config.maxDataWords == 0 ? 1 : config.maxDataWords;
    const uint32_t dataWords = 1 + static_cast<uint32_t>((r >> 32) % maxData);
    const uint32_t terminal = (lane.terminalBase + ((r >> 36) & 0x3u)) & 0x1Fu;
    const uint32_t flag = (r >> 40) & 0x1u;
    const uint32_t code = (r >> 44) & 0xFu;
    lane.next.busWord = (terminal << 19) | (flag << 18) | (code << 14) | (dataWords & 0x3FFFu);
    lane.next.commandSync = 1;
    lane.dataWordsLeft = dataWords;
    lane.messageWords = dataWords + 1;
  } else {
    lane.next.busWord = static_cast<uint32_t>(r >> 32) & 0xFFFFFFu;
    lane.next.commandSync = 0;
    --lane.dataWordsLeft;
  }
  lane.next.errorFlags = errorFlagsFor(config, r);
}

// The arrival of the word after the lane's current one.
uint64_t followingArrival(const TrafficGenerator& generator, TrafficLane& lane) {
  const uint64_t arrival = lane.next.arrival + generator.spacing;
  if (lane.dataWordsLeft > 0) return arrival;
  // Message complete: an idle gap, uniform around the mean that keeps the channel's rate.
  const uint64_t meanGap = uint64_t{lane.messageWords} * (generator.period - generator.spacing);
  if (meanGap == 0) return arrival;
  return arrival + splitMix(lane.random) % (2 * meanGap + 1);
}

void chooseNextLane(TrafficGenerator& generator) {
  int best = 0;
  for (int i = 1; i < generator.laneCount; ++i) {
    if (generator.lanes[i].next.arrival < generator.lanes[best].next.arrival) best = i;
  }
  generator.nextLane = best;
}

}  // namespace

void resetTrafficGenerator(TrafficGenerator& generator, const TrafficConfig& config) {
  generator = TrafficGenerator{};
  generator.config = config;
  const uint8_t mask = (config.channelMask & 0xFu) == 0 ? 0xF : (config.channelMask & 0xFu);
  for (int channel = 0; channel < kBusChannels; ++channel) {
    if ((mask >> channel) & 1u) {
      TrafficLane& lane = generator.lanes[generator.laneCount++];
      lane.next.busChannel = static_cast<uint8_t>(channel);
    }
  }
  if (config.wordsPerSecond == 0) {
    for (int i = 0; i < generator.laneCount; ++i) generator.lanes[i].next.arrival = kNoMoreTraffic;
    generator.laneCount = 1;
    return;
  }
  const uint64_t perLane = kHalfMicrosPerSecond * static_cast<uint64_t>(generator.laneCount);
  const uint64_t period = (perLane + config.wordsPerSecond / 2) / config.wordsPerSecond;
  generator.period = period == 0 ? 1 : static_cast<uint32_t>(period);
  const uint32_t spacing = config.wordSpacingHalfMicros == 0 ? 1 : config.wordSpacingHalfMicros;
  generator.spacing = spacing < generator.period ? spacing : generator.period;

  for (int i = 0; i < generator.laneCount; ++i) {
    TrafficLane& lane = generator.lanes[i];
    lane.random = config.seed ^ (0xD1B54A32D192ED03ull * (uint64_t{lane.next.busChannel} + 1));
    lane.terminalBase = static_cast<uint8_t>(splitMix(lane.random) & 0x1Fu);
    // The channels start out of step with one another.
    const uint64_t start = splitMix(lane.random) % generator.period;
    makeWord(generator, lane, start);
  }
  chooseNextLane(generator);
}

BusWordEvent nextBusWord(TrafficGenerator& generator) {
  TrafficLane& lane = generator.lanes[generator.nextLane];
  const BusWordEvent word = lane.next;
  if (word.arrival == kNoMoreTraffic) return word;
  makeWord(generator, lane, followingArrival(generator, lane));
  ++generator.wordsProduced;
  chooseNextLane(generator);
  return word;
}
