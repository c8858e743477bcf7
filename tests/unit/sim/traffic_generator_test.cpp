#include "sim/traffic_generator.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<BusWordEvent> firstWords(const TrafficConfig& config, size_t count) {
  TrafficGenerator generator;
  resetTrafficGenerator(generator, config);
  std::vector<BusWordEvent> words;
  for (size_t i = 0; i < count; ++i) words.push_back(nextBusWord(generator));
  return words;
}

bool sameWord(const BusWordEvent& a, const BusWordEvent& b) {
  return a.arrival == b.arrival && a.busWord == b.busWord && a.busChannel == b.busChannel &&
         a.commandSync == b.commandSync && a.errorFlags == b.errorFlags;
}

// The same configuration gives the same words, another seed other ones. In time order, each
// channel carries a command word announcing 1 to maxDataWords data words, the word spacing apart.
TEST(TrafficGenerator, SeededMessagesOfACommandWordAndTheDataWordsItAnnounces) {
  TrafficConfig config;
  config.maxDataWords = 6;
  TrafficConfig otherSeed = config;
  otherSeed.seed += 1;
  const std::vector<BusWordEvent> words = firstWords(config, 50000), again = firstWords(config, 50000);
  const std::vector<BusWordEvent> other = firstWords(otherSeed, 50000);
  uint32_t dataLeft[kBusChannels] = {0, 0, 0, 0};
  uint64_t lastArrival[kBusChannels] = {0, 0, 0, 0}, previous = 0;
  unsigned seen = 0;
  size_t differing = 0;
  for (size_t i = 0; i < words.size(); ++i) {
    const BusWordEvent& w = words[i];
    ASSERT_TRUE(sameWord(w, again[i])) << i;
    differing += !sameWord(w, other[i]);
    ASSERT_LT(w.busChannel, kBusChannels);
    ASSERT_LE(w.busWord, 0xFFFFFFu);
    ASSERT_GE(w.arrival, previous);
    const int ch = w.busChannel;
    ASSERT_TRUE(!(seen & (1u << ch)) || w.arrival >= lastArrival[ch] + config.wordSpacingHalfMicros) << i;
    ASSERT_EQ(w.commandSync, dataLeft[ch] == 0 ? 1 : 0) << i;
    dataLeft[ch] = w.commandSync ? (w.busWord & 0x3FFFu) : dataLeft[ch] - 1;
    ASSERT_TRUE(!w.commandSync || (dataLeft[ch] >= 1 && dataLeft[ch] <= config.maxDataWords)) << dataLeft[ch];
    seen |= 1u << ch;
    previous = lastArrival[ch] = w.arrival;
  }
  EXPECT_EQ(seen, 0xFu);
  EXPECT_GT(differing, words.size() * 9 / 10);
}

}  // namespace
