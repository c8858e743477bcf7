#include <gtest/gtest.h>

#include <vector>

#include "sim/traffic_generator.h"

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

TEST(TrafficGenerator, SameConfigurationSameWordsAndResetStartsOver) {
  TrafficConfig config;
  const std::vector<BusWordEvent> first = firstWords(config, 20000);
  const std::vector<BusWordEvent> again = firstWords(config, 20000);
  TrafficConfig otherSeed = config;
  otherSeed.seed += 1;
  const std::vector<BusWordEvent> other = firstWords(otherSeed, 20000);
  size_t differing = 0;
  for (size_t i = 0; i < first.size(); ++i) {
    ASSERT_TRUE(sameWord(first[i], again[i])) << i;
    if (!sameWord(first[i], other[i])) ++differing;
  }
  EXPECT_GT(differing, first.size() * 9 / 10);
}

TEST(TrafficGenerator, MessagesAreACommandWordAndTheDataWordsItAnnounces) {
  TrafficConfig config;
  config.maxDataWords = 6;
  const std::vector<BusWordEvent> words = firstWords(config, 50000);
  uint32_t expectedData[kBusChannels] = {0, 0, 0, 0};
  uint64_t lastArrival[kBusChannels] = {0, 0, 0, 0};
  bool seen[kBusChannels] = {false, false, false, false};
  uint64_t previous = 0;
  for (const BusWordEvent& w : words) {
    ASSERT_LT(w.busChannel, kBusChannels);
    ASSERT_LE(w.busWord, 0xFFFFFFu);
    ASSERT_GE(w.arrival, previous) << "merged stream out of order";
    previous = w.arrival;
    const int ch = w.busChannel;
    if (seen[ch]) {
      ASSERT_GE(w.arrival, lastArrival[ch] + config.wordSpacingHalfMicros);
    }
    if (expectedData[ch] == 0) {
      ASSERT_EQ(w.commandSync, 1) << "a message starts with its command word";
      expectedData[ch] = w.busWord & 0x3FFFu;
      ASSERT_GE(expectedData[ch], 1u);
      ASSERT_LE(expectedData[ch], config.maxDataWords);
    } else {
      ASSERT_EQ(w.commandSync, 0);
      --expectedData[ch];
    }
    seen[ch] = true;
    lastArrival[ch] = w.arrival;
  }
  for (bool s : seen) EXPECT_TRUE(s);
}

TEST(TrafficGenerator, RateChannelsAndErrorsFollowTheConfiguration) {
  struct Case {
    uint32_t wordsPerSecond;
    uint8_t channelMask;
    uint32_t errorOneIn;
  };
  const Case cases[] = {{20000, 0xF, 2000}, {200000, 0xF, 0}, {50000, 0x1, 100}, {2000000, 0xF, 1000}, {30000, 0x5, 50}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.wordsPerSecond);
    TrafficConfig config;
    config.wordsPerSecond = c.wordsPerSecond;
    config.channelMask = c.channelMask;
    config.errorOneIn = c.errorOneIn;
    TrafficGenerator generator;
    resetTrafficGenerator(generator, config);
    const uint64_t oneSecond = 2000000;
    uint64_t count = 0, errors = 0;
    unsigned channelsSeen = 0;
    while (peekBusWord(generator).arrival < oneSecond) {
      const BusWordEvent w = nextBusWord(generator);
      ++count;
      if (w.errorFlags != 0) ++errors;
      channelsSeen |= 1u << w.busChannel;
    }
    EXPECT_NEAR(static_cast<double>(count), c.wordsPerSecond, c.wordsPerSecond * 0.05);
    EXPECT_EQ(channelsSeen, c.channelMask);
    if (c.errorOneIn == 0) {
      EXPECT_EQ(errors, 0u);
    } else {
      const double expected = static_cast<double>(count) / c.errorOneIn;
      EXPECT_NEAR(static_cast<double>(errors), expected, expected * 0.3 + 3);
    }
  }
}

TEST(TrafficGenerator, SilentBusNeverDelivers) {
  TrafficConfig config;
  config.wordsPerSecond = 0;
  TrafficGenerator generator;
  resetTrafficGenerator(generator, config);
  EXPECT_EQ(peekBusWord(generator).arrival, kNoMoreTraffic);
  EXPECT_EQ(nextBusWord(generator).arrival, kNoMoreTraffic);
  EXPECT_EQ(peekBusWord(generator).arrival, kNoMoreTraffic);
}

}  // namespace
