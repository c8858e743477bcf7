#include "sim/traffic_generator.h"

#include <gtest/gtest.h>

namespace {

// In time order, each channel carries a command word announcing 1 to maxDataWords data words, the
// word spacing apart. (That the same configuration gives the same words is what every comparison of
// a recording with the generated file relies on.)
TEST(TrafficGenerator, MessagesOfACommandWordAndTheDataWordsItAnnounces) {
  TrafficConfig config;
  config.maxDataWords = 6;
  TrafficGenerator generator;
  resetTrafficGenerator(generator, config);
  uint32_t dataLeft[kBusChannels] = {0, 0, 0, 0};
  uint64_t lastArrival[kBusChannels] = {0, 0, 0, 0}, previous = 0;
  unsigned seen = 0;
  for (size_t i = 0; i < 50000; ++i) {
    const BusWordEvent w = nextBusWord(generator);
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
}

}  // namespace
