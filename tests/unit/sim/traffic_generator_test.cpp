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

// Words in the first second, channels used and error words; a silent bus never delivers.
TEST(TrafficGenerator, RateChannelsAndErrorsFollowTheConfiguration) {
  const struct {
    uint32_t wordsPerSecond;
    uint8_t channelMask;
    uint32_t errorOneIn;
  } cases[] = {{20000, 0xF, 2000}, {2000000, 0xF, 1000}, {30000, 0x5, 50}, {0, 0xF, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.wordsPerSecond);
    TrafficConfig config;
    config.wordsPerSecond = c.wordsPerSecond;
    config.channelMask = c.channelMask;
    config.errorOneIn = c.errorOneIn;
    TrafficGenerator generator;
    resetTrafficGenerator(generator, config);
    uint64_t count = 0, errors = 0;
    unsigned channelsSeen = 0;
    for (; peekBusWord(generator).arrival < 2000000; ++count) {
      const BusWordEvent w = nextBusWord(generator);
      errors += w.errorFlags != 0;
      channelsSeen |= 1u << w.busChannel;
    }
    EXPECT_NEAR(static_cast<double>(count), c.wordsPerSecond, c.wordsPerSecond * 0.05);
    EXPECT_EQ(channelsSeen, c.wordsPerSecond ? c.channelMask : 0u);
    const double expected = c.errorOneIn ? static_cast<double>(count) / c.errorOneIn : 0.0;
    EXPECT_NEAR(static_cast<double>(errors), expected, c.errorOneIn ? expected * 0.3 + 3 : 0.0);
    if (c.wordsPerSecond == 0) {
      EXPECT_EQ(nextBusWord(generator).arrival, kNoMoreTraffic);
      EXPECT_EQ(peekBusWord(generator).arrival, kNoMoreTraffic);
    }
  }
}

}  // namespace
