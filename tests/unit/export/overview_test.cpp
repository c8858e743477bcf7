// The one-pass summary behind the overview page.
#include <gtest/gtest.h>

#include <cmath>

#include "export/overview_scan.h"
#include "export/rate_steps.h"
#include "export_fixtures.h"

constexpr uint64_t kSecond = halfMicrosAt(0, 0, 0, 1);

// Counts, time breaks, the recorded time, gaps and the bins that grew to hold half an hour.
TEST(Overview, SummaryOfOnePass) {
  TempFolder folder;
  const uint64_t t = 1000 * kSecond, hour = 3600 * kSecond;
  const std::vector<BusRecord> records = {
      testRecord({t, 9u << 14, 0, 1, 0}),
      testRecord({t + 2, 0, 1, 0, kErrorPy}),
      testRecord({t + 2, 0, 2, 0, 0}),                                       // the same time: a gap of zero
      testRecord({t - 10 * kSecond, 15u << 14, 3, 1, kErrorSh | kErrorLg}),  // backwards
      testRecord({t + 3 * hour, 0, 0, 0, 0}),                                // three hours ahead
      testRecord({t + 3 * hour + hour / 2, 9u << 14, 1, 1, 0}),
  };
  Bytes data = dataFileBytes(records);
  data.resize(data.size() + 5, 0);
  writeBytes(folder.file("data.qel"), data);
  std::vector<OverviewSummary> summaries(1);
  OverviewSummary& s = summaries[0];
  ASSERT_EQ(scanOverview(folder.file("data.qel"), s), StatusCode::Success);

  EXPECT_EQ(s.records, 6u);
  EXPECT_EQ(s.trailingBytes, 5u);
  EXPECT_EQ(s.firstHalfMicros, t);
  EXPECT_EQ(s.lastHalfMicros, t + 3 * hour + hour / 2);
  EXPECT_EQ(s.recordedHalfMicros, 2 + hour / 2);
  const uint64_t words[4] = {2, 2, 1, 1}, commands[4] = {1, 1, 0, 1}, errors[4] = {0, 1, 0, 1};
  const uint64_t flags[4] = {1, 1, 0, 1};
  uint64_t inBins[4] = {};
  for (const OverviewBin& bin : s.bins) {
    for (int b = 0; b < 4; ++b) inBins[b] += bin.words[b];
  }
  for (int b = 0; b < 4; ++b) {
    EXPECT_EQ(s.words[b], words[b]);
    EXPECT_EQ(inBins[b], words[b]);
    EXPECT_EQ(s.commandWords[b], commands[b]);
    EXPECT_EQ(s.errorWords[b], errors[b]);
    EXPECT_EQ(s.flagCounts[b], flags[b]);
  }
  EXPECT_EQ(s.mdmCommandCodes[9], 2u);
  EXPECT_EQ(s.mdmCommandCodes[15], 1u);
  EXPECT_EQ(s.zeroGaps, 1u);
  EXPECT_EQ(s.backwardSteps, 1u);
  EXPECT_EQ(s.forwardJumps, 1u);
  EXPECT_EQ(s.gapOctaves[1], 1u);   // 1 us
  EXPECT_EQ(s.gapOctaves[31], 1u);  // half an hour: 3.6e9 half microseconds
  ASSERT_EQ(s.breaks.size(), 2u);
  EXPECT_EQ(s.breaks[0].line, 4u);
  EXPECT_EQ(s.breaks[1].line, 5u);
  EXPECT_EQ(s.breaks[1].recordedHalfMicros, 2u);
  // The bins grew until half an hour fitted into 512 of them.
  EXPECT_GE(s.binHalfMicros * kOverviewBins, s.recordedHalfMicros);
  EXPECT_LT(s.binHalfMicros * kOverviewBins / 2, s.recordedHalfMicros);
  EXPECT_EQ(s.bins[0].firstHalfMicros, t);
  // The bins cover the recorded time, the last one only up to its end.
  double covered = 0;
  for (const double seconds : binCoveredSeconds(s)) covered += seconds;
  EXPECT_NEAR(covered, s.recordedHalfMicros / 2e6, 1e-9);
}

// Bins of 1 s joined into drawn steps: a partial last bin divided by the time it covers, a silence at 0 on the
// least line, a sliver of a last bin joined to the step before, few words, long steps, fixed steps (none joined).
TEST(Overview, RateStepsOfBins) {
  struct Case {
    std::vector<double> j1;  // J1 words a bin; the last bin covers lastCovered
    double lastCovered;
    unsigned maxSteps, binsPerStep;
    std::vector<double> meanLeastWidth;  // of each step
  };
  const Case cases[] = {
      {{100, 100, 100, 60}, 0.6, 8, 0, {100, 100, 1, 100, 100, 1, 100, 100, 1, 100, 100, 0.6}},
      {{100, 100, 100, 100, 100, 0, 100, 100}, 1, 2, 0, {100, 100, 4, 75, 0, 4}},
      {{100, 100, 10}, 0.1, 8, 0, {100, 100, 1, 100, 100, 1.1}},
      {std::vector<double>(8, 5), 1, 8, 0, {5, 5, 4, 5, 5, 4}},
      {{5, 5, 5, 5, 1}, 0.2, 8, 2, {5, 5, 2, 5, 5, 2, 5, 5, 0.2}},
  };
  for (const Case& c : cases) {
    std::vector<CountBin> bins(c.j1.size());
    for (size_t i = 0; i < bins.size(); ++i) {
      bins[i].counts[0] = c.j1[i];
      bins[i].coveredSeconds = i + 1 < bins.size() ? 1.0 : c.lastCovered;
    }
    std::vector<double> drawn;
    for (const RateStep& step : rateSteps(bins, 1.0, StepRules{c.maxSteps, 20, 50, c.binsPerStep}).steps) {
      for (const double value : {step.mean[0], step.least[0], step.widthSeconds}) drawn.push_back(std::round(value * 1e6) / 1e6);
    }
    EXPECT_EQ(drawn, c.meanLeastWidth) << c.j1.size() << " bins";
  }
}
