#include "view/timeline.h"

#include <algorithm>
#include <cmath>

#include "common/record_layout.h"
#include "files/bus_record.h"
#include "files/record_clock.h"
#include "search/block_decisions.h"
#include "view/find_count.h"

namespace {

constexpr unsigned kSubSteps = 8;

struct FineBins {
  double t0 = 0;
  double width = 1;  // half microseconds of one sub-step
  std::vector<double> words[4];
  std::vector<double> errors;
  std::vector<double> matches;
};

// Adds amount over recorded time [a, b) (a point when b <= a), spread evenly.
void spread(FineBins& fine, std::vector<double>& into, double a, double b, double amount) {
  const double n = static_cast<double>(into.size());
  if (amount == 0) return;
  if (b <= a) {
    const double s = std::floor((a - fine.t0) / fine.width);
    if (s >= 0 && s < n) into[static_cast<size_t>(s)] += amount;
    return;
  }
  const double density = amount / (b - a);
  const double first = std::max(0.0, std::floor((a - fine.t0) / fine.width));
  const double last = std::min(n - 1, std::floor((b - fine.t0) / fine.width));
  for (double s = first; s <= last; ++s) {
    const double lo = std::max(a, fine.t0 + s * fine.width);
    const double hi = std::min(b, fine.t0 + (s + 1) * fine.width);
    if (hi > lo) into[static_cast<size_t>(s)] += density * (hi - lo);
  }
}

void fromSummaries(const Recording& r, uint64_t firstBlock, uint64_t lastBlock, const MatchPlan* plan,
                   FineBins& fine) {
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
      spread(fine, fine.words[bus], a, end, static_cast<double>(n));
    }
    spread(fine, fine.errors, a, end, static_cast<double>(errors));
    if (plan != nullptr) {
      const int64_t known = matchesFromSummary(*plan, b > 0 ? &r.entries[b - 1] : nullptr, e);
      const double n = known >= 0 ? static_cast<double>(known) : static_cast<double>(blockMatchLines(r, *plan, b).size());
      spread(fine, fine.matches, a, end, n);
    }
  }
}

bool fromRecords(const Recording& r, uint64_t firstBlock, uint64_t lastBlock, const MatchPlan* plan, FineBins& fine) {
  std::vector<uint64_t> matched;
  if (plan != nullptr) {
    for (uint64_t b = firstBlock; b <= lastBlock; ++b) {
      const std::vector<uint64_t> lines = blockMatchLines(r, *plan, b);
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
    spread(fine, fine.words[fieldValue(lw2, busfield::kBusChannel)], x, x, 1.0);
    if (fieldValue(lw2, busfield::kErrorFlags) != 0) spread(fine, fine.errors, x, x, 1.0);
    while (nextMatch < matched.size() && matched[nextMatch] < first + i + 1) ++nextMatch;
    if (nextMatch < matched.size() && matched[nextMatch] == first + i + 1) spread(fine, fine.matches, x, x, 1.0);
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
  for (auto& lane : fine.words) lane.assign(bins * kSubSteps, 0.0);
  fine.errors.assign(bins * kSubSteps, 0.0);
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
    } else {
      fromSummaries(*r, firstBlock, lastBlock, criteria ? &plan : nullptr, fine);
    }
  }
  answer.body = nlohmann::json{{"t0", t0}, {"t1", t1}, {"recorded_hus", end - 1}, {"source", source},
                               {"step_s", static_cast<double>(t1 - t0) / static_cast<double>(bins) / kHalfMicrosPerSecond}};
  nlohmann::json lanes = nlohmann::json::array();
  std::vector<double> covered(bins * kSubSteps);
  for (size_t s = 0; s < covered.size(); ++s) {
    const double lo = fine.t0 + static_cast<double>(s) * fine.width;
    covered[s] = std::max(0.0, std::min(lo + fine.width, static_cast<double>(end)) - lo) / kHalfMicrosPerSecond;
  }
  for (unsigned bus = 0; bus < 4; ++bus) {
    nlohmann::json mean = nlohmann::json::array();
    nlohmann::json least = nlohmann::json::array();
    for (uint64_t i = 0; i < bins; ++i) {
      double words = 0;
      double time = 0;
      double lowest = -1;
      for (unsigned k = 0; k < kSubSteps; ++k) {
        const size_t s = i * kSubSteps + k;
        words += fine.words[bus][s];
        time += covered[s];
        if (covered[s] > 0) {
          const double rate = fine.words[bus][s] / covered[s];
          if (lowest < 0 || rate < lowest) lowest = rate;
        }
      }
      mean.push_back(time > 0 ? nlohmann::json(std::round(words / time * 10) / 10) : nlohmann::json(nullptr));
      least.push_back(lowest >= 0 ? nlohmann::json(std::round(lowest * 10) / 10) : nlohmann::json(nullptr));
    }
    lanes.push_back({{"bus", bus + 1}, {"mean", mean}, {"least", least}});
  }
  answer.body["lanes"] = lanes;
  auto perStep = [&](const std::vector<double>& values) {
    // Whole counts from the running sum, so that the steps add up to the window's count.
    nlohmann::json out = nlohmann::json::array();
    double sum = 0;
    int64_t given = 0;
    for (uint64_t i = 0; i < bins; ++i) {
      for (unsigned k = 0; k < kSubSteps; ++k) sum += values[i * kSubSteps + k];
      const int64_t upTo = std::llround(sum);
      out.push_back(std::max<int64_t>(0, upTo - given));
      given = std::max(given, upTo);
    }
    return out;
  };
  answer.body["errors"] = perStep(fine.errors);
  if (criteria) answer.body["matches"] = perStep(fine.matches);
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
