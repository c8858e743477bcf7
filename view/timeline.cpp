#include "view/timeline.h"

#include <algorithm>
#include <cmath>

#include "common/record_layout.h"
#include "export/rate_steps.h"
#include "files/bus_record.h"
#include "files/record_clock.h"
#include "view/find_count.h"

namespace {

constexpr unsigned kSubSteps = 8;  // bins of each drawn step: its least is taken over them
constexpr int kErrorSeries = 4;    // the rate steps' series: J1 to J4, then the error words

struct FineBins {
  double t0 = 0;
  double width = 1;  // half microseconds of one bin
  std::vector<CountBin> bins;
  std::vector<double> matches;
};

// Adds amount over recorded time [a, b) (a point when b <= a), spread evenly: add(bin, share).
template <typename Add>
void spread(const FineBins& fine, double a, double b, double amount, Add add) {
  const double n = static_cast<double>(fine.bins.size());
  if (amount == 0) return;
  if (b <= a) {
    const double s = std::floor((a - fine.t0) / fine.width);
    if (s >= 0 && s < n) add(static_cast<size_t>(s), amount);
    return;
  }
  const double density = amount / (b - a);
  const double first = std::max(0.0, std::floor((a - fine.t0) / fine.width));
  const double last = std::min(n - 1, std::floor((b - fine.t0) / fine.width));
  if (last < first) return;
  for (auto s = static_cast<size_t>(first); s <= static_cast<size_t>(last); ++s) {
    const double lo = std::max(a, fine.t0 + static_cast<double>(s) * fine.width);
    const double hi = std::min(b, fine.t0 + static_cast<double>(s + 1) * fine.width);
    if (hi > lo) add(s, density * (hi - lo));
  }
}

void spreadCount(FineBins& fine, int series, double a, double b, double amount) {
  spread(fine, a, b, amount, [&fine, series](size_t s, double share) { fine.bins[s].counts[series] += share; });
}

void spreadMatches(FineBins& fine, double a, double b, double amount) {
  spread(fine, a, b, amount, [&fine](size_t s, double share) { fine.matches[s] += share; });
}

bool fromSummaries(const Recording& r, uint64_t firstBlock, uint64_t lastBlock, const MatchPlan* plan,
                   FineBins& fine) {
  std::vector<uint64_t> matches;
  if (plan != nullptr && !blockMatchCounts(r, *plan, firstBlock, lastBlock + 1, matches)) return false;
  for (uint64_t b = firstBlock; b <= lastBlock; ++b) {
    const BlockEntry& e = r.entries[b];
    const double a = static_cast<double>(r.blockStart[b]);
    double end = b + 1 < r.entries.size() ? static_cast<double>(r.blockStart[b + 1]) : static_cast<double>(r.blockEnd[b]) + 1;
    if (end <= a) end = a;
    uint64_t errors = 0;
    for (unsigned bus = 0; bus < 4; ++bus) {
      const uint64_t n = uint64_t{e.classCounts[4 * bus]} + e.classCounts[4 * bus + 1] + e.classCounts[4 * bus + 2] +
                         e.classCounts[4 * bus + 3];
      errors += uint64_t{e.classCounts[4 * bus + 1]} + e.classCounts[4 * bus + 3];
      spreadCount(fine, static_cast<int>(bus), a, end, static_cast<double>(n));
    }
    spreadCount(fine, kErrorSeries, a, end, static_cast<double>(errors));
    if (plan != nullptr) spreadMatches(fine, a, end, static_cast<double>(matches[b - firstBlock]));
  }
  return true;
}

bool fromRecords(const Recording& r, uint64_t firstBlock, uint64_t lastBlock, const MatchPlan* plan, FineBins& fine) {
  std::vector<uint64_t> matched;
  std::vector<uint64_t> lines;
  if (plan != nullptr) {
    for (uint64_t b = firstBlock; b <= lastBlock; ++b) {
      if (!blockMatchLines(r, *plan, b, lines)) return false;
      matched.insert(matched.end(), lines.begin(), lines.end());
    }
  }
  const uint64_t first = firstBlock * kIndexBlockRecords;
  const uint64_t count = std::min(r.summarised, (lastBlock + 1) * kIndexBlockRecords) - first;
  std::vector<unsigned char> bytes;
  if (!readRecords(r, first, count, false, bytes)) return false;
  HalfMicrosClock clock;
  uint64_t previous = recordHalfMicros(clock, bytes.data());
  uint64_t at = r.blockStart[firstBlock];
  size_t nextMatch = std::lower_bound(matched.begin(), matched.end(), first + 1) - matched.begin();
  for (uint64_t i = 0; i < count; ++i) {
    const unsigned char* record = bytes.data() + i * kBusRecordBytes;
    const uint64_t t = recordHalfMicros(clock, record);
    if (i > 0 && t >= previous && t - previous <= kBreakHalfMicros) at += t - previous;
    previous = t;
    const uint32_t lw2 = recordLongword(record, 2);
    const double x = static_cast<double>(at);
    spreadCount(fine, static_cast<int>(fieldValue(lw2, busfield::kBusChannel)), x, x, 1.0);
    if (fieldValue(lw2, busfield::kErrorFlags) != 0) spreadCount(fine, kErrorSeries, x, x, 1.0);
    while (nextMatch < matched.size() && matched[nextMatch] < first + i + 1) ++nextMatch;
    if (nextMatch < matched.size() && matched[nextMatch] == first + i + 1) spreadMatches(fine, x, x, 1.0);
  }
  return true;
}

// Tick marks at round times of day, through each stretch between breaks.
nlohmann::json ticks(const Recording& r, uint64_t t0, uint64_t t1) {
  static const uint64_t kSteps[] = {1, 2, 10, 20, 100, 200, 1000, 2000, 10000, 20000, 100000, 200000, 1000000,
                                    2000000, 4000000, 10000000, 20000000, 60000000, 120000000, 600000000,
                                    1200000000, 3600000000ull, 7200000000ull, 14400000000ull, 43200000000ull,
                                    172800000000ull};
  uint64_t step = kSteps[sizeof kSteps / sizeof kSteps[0] - 1];
  for (const uint64_t s : kSteps) {
    if ((t1 - t0) / s <= 8) {
      step = s;
      break;
    }
  }
  std::vector<uint64_t> starts{t0};
  for (const RecordingBreak& b : r.breaks) {
    if (b.atHalfMicros > t0 && b.atHalfMicros < t1 && b.atHalfMicros != starts.back()) starts.push_back(b.atHalfMicros);
  }
  starts.push_back(t1);
  nlohmann::json out = nlohmann::json::array();
  for (size_t k = 0; k + 1 < starts.size() && out.size() < 64; ++k) {
    const uint64_t a = starts[k];
    const uint64_t tagA = timeTagAtRecorded(r, a);
    for (uint64_t tag = (tagA + step - 1) / step * step; tag - tagA < starts[k + 1] - a && out.size() < 64; tag += step) {
      out.push_back({{"at_hus", a + (tag - tagA)}, {"time_hus", tag}, {"text", timeTagText(tag)}});
    }
  }
  return out;
}

}  // namespace

ViewAnswer timelineAnswer(ViewFolder& folder, const QueryParams& params) {
  ViewAnswer answer;
  auto r = requestedRecording(folder, params, answer);
  if (r == nullptr) return answer;
  SearchSettings settings;
  bool criteria = false;
  std::string why;
  if (!queryCriteria(params, settings, criteria, why)) return errorAnswer(400, why);
  std::shared_lock<std::shared_mutex> reading(r->lock);
  const uint64_t end = recordedEnd(*r) + 1;
  uint64_t t0 = 0;
  uint64_t t1 = end;
  uint64_t bins = 1000;
  if (!queryNumber(params, "t0", t0) || !queryNumber(params, "t1", t1) ||
      !queryNumber(params, "bins", bins, kMaxTimelineBins) || bins == 0 || t1 <= t0) {
    return errorAnswer(400, "t0= below t1= (half microseconds of recorded time), bins= 1 to 2000");
  }
  FineBins fine;
  fine.t0 = static_cast<double>(t0);
  fine.width = static_cast<double>(t1 - t0) / static_cast<double>(bins * kSubSteps);
  fine.bins.resize(bins * kSubSteps);
  fine.matches.assign(bins * kSubSteps, 0.0);
  const MatchPlan plan = makeMatchPlan(settings);
  const char* source = "index";
  if (!r->entries.empty() && t0 < end) {
    const uint64_t firstBlock =
        std::upper_bound(r->blockStart.begin(), r->blockStart.end(), t0) - r->blockStart.begin() - (t0 >= r->blockStart[0] ? 1 : 0);
    const uint64_t lastBlock =
        std::lower_bound(r->blockStart.begin(), r->blockStart.end(), t1) - r->blockStart.begin() - 1;
    if (lastBlock - firstBlock < kTimelineDataBlocks && fromRecords(*r, firstBlock, lastBlock, criteria ? &plan : nullptr, fine)) {
      source = "data";
    } else if (!fromSummaries(*r, firstBlock, lastBlock, criteria ? &plan : nullptr, fine)) {
      return readFailedAnswer();
    }
  }
  answer.body = nlohmann::json{{"t0", t0}, {"t1", t1}, {"recorded_hus", end - 1}, {"source", source},
                               {"step_s", static_cast<double>(t1 - t0) / static_cast<double>(bins) / kHalfMicrosPerSecond}};
  // The bins up to the recording's end, the last one covering only its part: drawn steps of
  // kSubSteps bins each, by the overview's rules for the least; steps beyond the end are null.
  std::vector<CountBin> within;
  for (const CountBin& bin : fine.bins) {
    const double lo = fine.t0 + static_cast<double>(within.size()) * fine.width;
    if (lo >= static_cast<double>(end)) break;
    within.push_back(bin);
    within.back().coveredSeconds = (std::min(lo + fine.width, static_cast<double>(end)) - lo) / kHalfMicrosPerSecond;
  }
  StepRules rules;
  rules.binsPerStep = kSubSteps;
  const RateSteps steps = rateSteps(within, fine.width / kHalfMicrosPerSecond, rules);
  auto rate = [](double perSecond) { return nlohmann::json(std::round(perSecond * 10) / 10); };
  nlohmann::json lanes = nlohmann::json::array();
  for (int bus = 0; bus < 4; ++bus) {
    nlohmann::json mean = nlohmann::json::array();
    nlohmann::json least = nlohmann::json::array();
    for (size_t i = 0; i < bins; ++i) {
      mean.push_back(i < steps.steps.size() ? rate(steps.steps[i].mean[bus]) : nlohmann::json(nullptr));
      least.push_back(i < steps.steps.size() ? rate(steps.steps[i].least[bus]) : nlohmann::json(nullptr));
    }
    lanes.push_back({{"bus", bus + 1}, {"mean", mean}, {"least", least}});
  }
  answer.body["lanes"] = lanes;
  auto perStep = [&](auto valueAt) {
    // Whole counts from the running sum, so that the steps add up to the window's count.
    nlohmann::json out = nlohmann::json::array();
    double sum = 0;
    int64_t given = 0;
    for (uint64_t i = 0; i < bins; ++i) {
      for (unsigned k = 0; k < kSubSteps; ++k) sum += valueAt(i * kSubSteps + k);
      const int64_t upTo = std::llround(sum);
      out.push_back(std::max<int64_t>(0, upTo - given));
      given = std::max(given, upTo);
    }
    return out;
  };
  answer.body["errors"] = perStep([&fine](size_t s) { return fine.bins[s].counts[kErrorSeries]; });
  if (criteria) answer.body["matches"] = perStep([&fine](size_t s) { return fine.matches[s]; });
  nlohmann::json breaks = nlohmann::json::array();
  for (const RecordingBreak& b : r->breaks) {
    if (b.atHalfMicros < t0 || b.atHalfMicros >= t1) continue;
    if (breaks.size() >= 200) break;
    breaks.push_back({{"line", b.line}, {"at_hus", b.atHalfMicros}, {"from_hus", b.fromHalfMicros},
                      {"to_hus", b.toHalfMicros}, {"from", timeTagText(b.fromHalfMicros)}, {"to", timeTagText(b.toHalfMicros)}});
  }
  answer.body["breaks"] = breaks;
  answer.body["ticks"] = ticks(*r, t0, t1);
  return answer;
}
