#include "export/rate_steps.h"

#include <algorithm>

namespace {

// The fewest bins, a power of two, whose groups hold `wanted` of `total` counts on average.
unsigned binsHolding(double total, size_t binCount, double wanted) {
  unsigned bins = 1;
  while (bins < binCount) {
    const size_t groups = (binCount + bins - 1) / bins;
    if (total >= wanted * static_cast<double>(groups)) break;
    bins *= 2;
  }
  return bins;
}

struct Span {
  double counts[kStepSeries] = {};
  double covered = 0;
};

Span spanOf(const std::vector<CountBin>& bins, size_t from, size_t to) {
  Span span;
  for (size_t i = from; i < to; ++i) {
    for (int s = 0; s < kStepSeries; ++s) span.counts[s] += bins[i].counts[s];
    span.covered += bins[i].coveredSeconds;
  }
  return span;
}

// The least rate of series s over the groups of `group` bins in [from, to).
double leastRate(const std::vector<CountBin>& bins, size_t from, size_t to, int s, unsigned group,
                 double groupSeconds) {
  std::vector<Span> groups;
  for (size_t at = from; at < to; at += group) groups.push_back(spanOf(bins, at, std::min(to, at + group)));
  if (groups.size() > 1 && groups.back().covered < groupSeconds / 2) {
    groups[groups.size() - 2].counts[s] += groups.back().counts[s];
    groups[groups.size() - 2].covered += groups.back().covered;
    groups.pop_back();
  }
  double least = -1;
  for (const Span& g : groups) {
    if (g.covered <= 0) continue;
    const double rate = g.counts[s] / g.covered;
    least = least < 0 ? rate : std::min(least, rate);
  }
  return std::max(least, 0.0);
}

}  // namespace

RateSteps rateSteps(const std::vector<CountBin>& bins, double binSeconds, const StepRules& rules) {
  RateSteps out;
  out.binSeconds = binSeconds;
  if (bins.empty() || !(binSeconds > 0)) return out;
  double totals[kStepSeries] = {}, busiest = 0;
  for (const CountBin& bin : bins) {
    for (int s = 0; s < kStepSeries; ++s) totals[s] += bin.counts[s];
  }
  for (const double total : totals) busiest = std::max(busiest, total);
  const size_t n = bins.size();
  const bool fixed = rules.binsPerStep > 0;
  unsigned perStep = fixed ? rules.binsPerStep : binsHolding(busiest, n, rules.countsPerStep);
  while (!fixed && (n + perStep - 1) / perStep > std::max(1u, rules.maxSteps)) perStep *= 2;
  out.binsPerStep = perStep;
  out.stepSeconds = binSeconds * perStep;
  for (int s = 0; s < kStepSeries; ++s) {
    out.binsPerGroup[s] = std::min(perStep, binsHolding(totals[s], n, rules.countsPerGroup));
  }

  std::vector<size_t> starts;
  for (size_t at = 0; at < n; at += perStep) starts.push_back(at);
  if (!fixed && starts.size() > 1 && spanOf(bins, starts.back(), n).covered < out.stepSeconds / 2) starts.pop_back();
  for (size_t k = 0; k < starts.size(); ++k) {
    const size_t from = starts[k], to = k + 1 < starts.size() ? starts[k + 1] : n;
    const Span span = spanOf(bins, from, to);
    RateStep step;
    step.startSeconds = static_cast<double>(from) * binSeconds;
    step.widthSeconds = span.covered;
    for (int s = 0; s < kStepSeries; ++s) {
      step.mean[s] = span.covered > 0 ? span.counts[s] / span.covered : 0.0;
      const unsigned group = out.binsPerGroup[s];
      step.least[s] = leastRate(bins, from, to, s, group, binSeconds * group);
    }
    out.steps.push_back(step);
  }
  return out;
}
