#include "view/find_count.h"

#include <algorithm>

#include "files/bus_record.h"
#include "files/record_clock.h"
#include "search/block_decisions.h"

namespace {

struct Choice {
  const char* name;
  int32_t value;
};

template <size_t N>
bool chooseValue(const QueryParams& params, const char* key, const Choice (&choices)[N], int32_t& value,
                 bool& given) {
  std::string text;
  if (!queryText(params, key, text)) return true;
  for (const Choice& c : choices) {
    if (text == c.name) {
      if (c.value != choices[0].value) given = true;
      value = c.value;
      return true;
    }
  }
  return false;
}

// Whether the summaries decide the block without it being read.
int64_t summaryDecision(const Recording& r, const MatchPlan& plan, uint64_t b) {
  return matchesFromSummary(plan, b > 0 ? &r.entries[b - 1] : nullptr, r.entries[b]);
}

}  // namespace

bool queryCriteria(const QueryParams& params, SearchSettings& settings, bool& given, std::string& why) {
  setSearchDefaults(settings);
  given = false;
  static const Choice kSync[] = {{"any", SyncAny}, {"cmd", SyncCmd}, {"data", SyncData}};
  static const Choice kErrors[] = {{"any", ErrorsDontCare}, {"with", WithErrors}, {"without", NoErrors}};
  static const Choice kBus[] = {{"any", BusAny}, {"j1", BusJ1}, {"j2", BusJ2}, {"j3", BusJ3}, {"j4", BusJ4}};
  static const Choice kGap[] = {{"none", 2}, {"before", 1}, {"after", 0}};
  int32_t gap = 2;
  bool gapGiven = false;
  if (!chooseValue(params, "sync", kSync, settings.syncChoice, given) ||
      !chooseValue(params, "errors", kErrors, settings.errorChoice, given) ||
      !chooseValue(params, "bus", kBus, settings.busChoice, given) || !chooseValue(params, "gap", kGap, gap, gapGiven)) {
    why = "sync=any|cmd|data, errors=any|with|without, bus=any|j1..j4, gap=none|before|after";
    return false;
  }
  std::string pattern;
  if (queryText(params, "pattern", pattern)) {
    if (pattern.size() != 24) {
      why = "pattern= is 24 characters of 0, 1 and x, bit 23 first";
      return false;
    }
    settings.oneMask = 0;
    settings.dontCareMask = 0;
    for (unsigned i = 0; i < 24; ++i) {
      const uint32_t bit = 1u << (23 - i);
      const char c = pattern[i];
      if (c == '1') {
        settings.oneMask |= bit;
      } else if (c == 'x' || c == 'X') {
        settings.dontCareMask |= bit;
      } else if (c != '0') {
        why = "pattern= is 24 characters of 0, 1 and x, bit 23 first";
        return false;
      }
    }
    if (settings.dontCareMask != 0x00FFFFFF) given = true;
  }
  uint64_t gapMin = 0;
  uint64_t gapMax = 0;
  const bool minGiven = params.count("gap_min") > 0;
  const bool maxGiven = params.count("gap_max") > 0;
  if (!queryNumber(params, "gap_min", gapMin) || !queryNumber(params, "gap_max", gapMax) ||
      (minGiven && maxGiven && gapMin > gapMax)) {
    why = "gap_min= and gap_max= are whole microseconds, the least not above the most";
    return false;
  }
  if (gap != 2 && (minGiven || maxGiven)) {
    given = true;
    settings.gapBefore = static_cast<uint8_t>(gap);
    settings.gapMinEnabled = minGiven ? 1 : 0;
    settings.gapMaxEnabled = maxGiven ? 1 : 0;
    settings.gapMin = static_cast<double>(gapMin);
    settings.gapMax = static_cast<double>(gapMax);
  }
  return true;
}

std::vector<uint64_t> blockMatchLines(const Recording& r, const MatchPlan& plan, uint64_t b) {
  std::vector<uint64_t> lines;
  std::vector<unsigned char> bytes;
  const uint64_t first = b * kIndexBlockRecords;
  if (!readRecords(r, first, r.entries[b].records, true, bytes)) return lines;
  // The scan state a scan of the whole file has after the record before the block.
  MatchScanState state;
  state.line = first;
  const unsigned char* records = bytes.data();
  if (first > 0) {
    state.prevTime = recordHalfMicros(state.clock, records);
    state.pending = plan.gap && plan.gapAfter && recordMeetsPlan(plan, recordLongword(records, 2));
    records += kBusRecordBytes;
  }
  visitBlockMatches(plan, state, records, r.entries[b].records, [&lines](uint64_t line) {
    lines.push_back(line);
    return true;
  });
  return lines;
}

std::vector<uint64_t> blockMatchCounts(const Recording& r, const MatchPlan& plan) {
  std::vector<uint64_t> counts(r.entries.size());
  for (uint64_t b = 0; b < r.entries.size(); ++b) {
    const int64_t known = summaryDecision(r, plan, b);
    counts[b] = known >= 0 ? static_cast<uint64_t>(known) : blockMatchLines(r, plan, b).size();
  }
  return counts;
}

ViewAnswer countAnswer(ViewFolder& folder, const QueryParams& params) {
  ViewAnswer answer;
  auto r = requestedRecording(folder, params, answer);
  if (r == nullptr) return answer;
  SearchSettings settings;
  bool given = false;
  std::string why;
  if (!queryCriteria(params, settings, given, why)) return errorAnswer(400, why);
  std::shared_lock<std::shared_mutex> reading(r->lock);
  uint64_t count = 0;
  for (const uint64_t n : blockMatchCounts(*r, makeMatchPlan(settings))) count += n;
  answer.body = nlohmann::json{{"count", count}, {"records", r->records}, {"counted", r->summarised}};
  return answer;
}

ViewAnswer findAnswer(ViewFolder& folder, const QueryParams& params) {
  ViewAnswer answer;
  auto r = requestedRecording(folder, params, answer);
  if (r == nullptr) return answer;
  SearchSettings settings;
  bool given = false;
  std::string why;
  uint64_t from = 0;
  std::string direction = "next";
  queryText(params, "dir", direction);
  if (!queryCriteria(params, settings, given, why)) return errorAnswer(400, why);
  if (!queryNumber(params, "from", from) || (direction != "next" && direction != "prev")) {
    return errorAnswer(400, "from= is a line (0 for before the first), dir= next or prev");
  }
  std::shared_lock<std::shared_mutex> reading(r->lock);
  const MatchPlan plan = makeMatchPlan(settings);
  const uint64_t blocks = r->entries.size();
  answer.body = nlohmann::json{{"line", nullptr}};
  // With the gap after, a block decides the last record of the block before it too.
  if (direction == "next") {
    for (uint64_t b = from / kIndexBlockRecords; b < blocks; ++b) {
      if (summaryDecision(*r, plan, b) == 0) continue;
      for (const uint64_t line : blockMatchLines(*r, plan, b)) {
        if (line > from) {
          answer.body["line"] = line;
          return answer;
        }
      }
    }
  } else if (from > 1 && blocks > 0) {
    for (uint64_t b = std::min((from - 1) / kIndexBlockRecords, blocks - 1) + 1; b-- > 0;) {
      if (summaryDecision(*r, plan, b) == 0) continue;
      const std::vector<uint64_t> lines = blockMatchLines(*r, plan, b);
      for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (*it < from) {
          answer.body["line"] = *it;
          return answer;
        }
      }
    }
  }
  return answer;
}
