// How late a recording tick may come before bus words are lost: the stall window, at the fastest
// real bus load and at five times that, through the recorder's own recording session on the
// simulated card.
//
// The worst moment for a stall is just before the card moves into the other half: the half it
// has just completed must then be appended before the card comes round to it again, one half's
// fill time later. So the last regular tick is put just before a half boundary, the next one
// comes late by the stall, and the longest stall that loses nothing is found by bisection, over
// several half boundaries. Every recording is checked word for word against the generator and
// against the words the card captured; a stall one step longer must lose words and must be
// reported as an overrun. The card's clock moves by the ticks and the stall alone.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "card/card_registers.h"
#include "recording_support.h"

namespace {
constexpr uint64_t kStepNs = 10'000;  // the bisection's resolution: 10 us
constexpr uint64_t kBeforeCrossingNs = 1'000;

// When the card moves into the next half for the n-th time: the arrival of that half's first word's
// predecessor, the half's last record.
uint64_t crossingNs(const TrafficConfig& traffic, uint64_t n) {
  TrafficGenerator generator;
  resetTrafficGenerator(generator, traffic);
  BusWordEvent word;
  for (uint64_t i = 0; i < n * ring::kHalfRecords; ++i) word = nextBusWord(generator);
  return word.arrival * 500;
}

RecordingRun stalledRun(const std::string& path, uint32_t rate, uint64_t crossing, uint64_t stallNs) {
  const uint64_t tickNs = kRecordingTickMilliseconds * 1'000'000ull;
  const uint64_t lastTick = crossing - kBeforeCrossingNs;
  RecordingPlan plan;
  plan.wordsPerSecond = rate;
  plan.firstTickNs = lastTick % tickNs + tickNs;
  plan.stallAtNs = lastTick;
  plan.stallNs = stallNs;
  const double halfNs = ring::kHalfRecords * 1e9 / rate;
  plan.wordsToRecord = static_cast<uint64_t>((static_cast<double>(crossing + stallNs) + 4 * halfNs) * rate / 1e9);
  return recordSimulated(path, plan);
}

struct Window {
  uint64_t longestLosslessNs = 0;
  bool lossReported = false;  // the first losing stall lost words and counted an overrun
};

Window windowAt(const std::string& path, uint32_t rate, uint64_t crossing) {
  uint64_t good = 0;
  uint64_t bad = 3 * static_cast<uint64_t>(ring::kHalfRecords * 1e9 / rate);
  while (bad - good > kStepNs) {
    const uint64_t stall = good + (bad - good) / 2;
    (stalledRun(path, rate, crossing, stall).lossless ? good : bad) = stall;
  }
  const RecordingRun losing = stalledRun(path, rate, crossing, bad);
  return Window{good, !losing.lossless && losing.overruns > 0};
}
}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : "/tmp";
  const std::string path = folder + "/stall-window.qel";
  const uint64_t firstCrossing = 3;
  const uint64_t crossings = 8;
  bool allReported = true;
  for (uint32_t rate : {200000u, 1000000u}) {
    const TrafficConfig traffic = trafficAt(rate);
    uint64_t shortest = ~uint64_t{0};
    uint64_t longest = 0;
    for (uint64_t n = firstCrossing; n < firstCrossing + crossings; ++n) {
      const Window window = windowAt(path, rate, crossingNs(traffic, n));
      shortest = std::min(shortest, window.longestLosslessNs);
      longest = std::max(longest, window.longestLosslessNs);
      allReported = allReported && window.lossReported;
    }
    const double tickMs = kRecordingTickMilliseconds;
    std::printf("%8u words/s: a half fills in %.2f ms; a tick may come %.2f ms late (%.2f ms between two ticks) "
                "without losing a word (worst of %llu half boundaries; the best allowed %.2f ms)\n",
                rate, ring::kHalfRecords * 1000.0 / rate, shortest / 1e6, shortest / 1e6 + tickMs,
                static_cast<unsigned long long>(crossings), longest / 1e6);
  }
  std::printf("every stall %.2f ms longer lost words and was reported as an overrun: %s\n", kStepNs / 1e6,
              allReported ? "yes" : "NO");
  std::remove(path.c_str());
  return allReported ? 0 : 1;
}
