// Counts in bins of equal width turned into the steps a rate plot draws: neighbouring bins are
// joined until at most a given number of steps remain and each step holds several counts on
// average, or into steps of a number of bins the caller fixes. Each step gives, per series, the mean rate over the step and the least rate of the
// groups of bins it stands for, so that a moment's silence shows as a drop to 0 on the least
// line where the mean hardly moves. A bin that covers only part of its width (the last one of a
// recording) is divided by the time it covers.
#pragma once
#include <vector>

constexpr int kStepSeries = 5;  // the overview's: J1 to J4 and the error words

struct CountBin {
  double counts[kStepSeries] = {};  // whole counts, or counts spread evenly over the time they span
  double coveredSeconds = 0;  // the bin's width, or less for a bin only partly covered
};

struct StepRules {
  unsigned maxSteps = 160;     // at most this many steps
  double countsPerStep = 20;   // a step holds at least this many counts on average ...
  double countsPerGroup = 50;  // ... and a series' group this many of the series'
  unsigned binsPerStep = 0;    // when not 0: every step is this many bins, whatever the counts
};

struct RateStep {
  double startSeconds = 0;
  double widthSeconds = 0;          // the time the step covers, as drawn
  double mean[kStepSeries] = {};    // counts per second over the step
  double least[kStepSeries] = {};   // the least counts per second of the step's groups of bins
};

struct RateSteps {
  double binSeconds = 0;
  unsigned binsPerStep = 1;               // a power of two, unless the rules fix it
  double stepSeconds = 0;                 // binsPerStep bins: the width of every drawn step but the last
  unsigned binsPerGroup[kStepSeries] = {};  // the groups a series' least is taken over (a power of two)
  std::vector<RateStep> steps;
};

// bins start at 0 and follow each other, binSeconds wide; only the last may cover less. Steps are
// joined bins, a power of two of them, the fewest that keep within rules.maxSteps and that hold
// rules.countsPerStep counts of the busiest series on average. A series' groups are the fewest
// bins (a power of two, at most a step) that hold rules.countsPerGroup of its counts on average.
// A last step that covers less than half a step is joined to the one before it, and so is a last
// group within its step; the last step is drawn as wide as the time it covers. When the rules fix
// binsPerStep, the steps are that many bins each (the last may hold fewer) and none is joined, so
// that step k always starts at bin k * binsPerStep.
RateSteps rateSteps(const std::vector<CountBin>& bins, double binSeconds, const StepRules& rules = {});
