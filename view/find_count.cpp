#include "view/find_count.h"

#include <algorithm>
#include <iterator>
#include <utility>

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

// The criteria as the memo names them: every field of the plan that decides a match.
std::string memoName(const MatchPlan& p) {
  return std::to_string(p.care) + ' ' + std::to_string(p.want) + ' ' + std::to_string(p.withErrors) + ' ' +
         std::to_string(p.gap) + ' ' + std::to_string(p.gapAfter) + ' ' + std::to_string(p.lowest) + ' ' +
         std::to_string(p.highest);
}

// The memo's counts of these criteria, one a block (-1 where not known).
std::vector<int64_t> rememberedCounts(const Recording& r, const std::string& name) {
  std::vector<int64_t> counts(r.entries.size(), -1);
  std::lock_guard<std::mutex> hold(r.memoLock);
  for (const BlockMatchMemo& memo : r.memos) {
    if (memo.criteria != name) continue;
    std::copy_n(memo.counts.begin(), std::min(memo.counts.size(), counts.size()), counts.begin());
    break;
  }
  return counts;
}

// Adds counts (block, matches) of whole blocks to the memo of these criteria, which goes first;
// the least recently used beyond kBlockMatchMemos is dropped. A block's count depends on its own
// records and the last of the block before, so a whole block's holds while the file grows.
void remember(const Recording& r, const std::string& name, const std::vector<std::pair<uint64_t, uint64_t>>& found) {
  if (found.empty()) return;
  std::lock_guard<std::mutex> hold(r.memoLock);
  auto same = std::find_if(r.memos.begin(), r.memos.end(),
                           [&name](const BlockMatchMemo& m) { return m.criteria == name; });
  BlockMatchMemo memo;
  memo.criteria = name;
  if (same != r.memos.end()) {
    memo = std::move(*same);
    r.memos.erase(same);
  }
  for (const auto& [block, matches] : found) {
    if (memo.counts.size() <= block) memo.counts.resize(block + 1, -1);
    memo.counts[block] = static_cast<int64_t>(matches);
  }
  r.memos.insert(r.memos.begin(), std::move(memo));
  if (r.memos.size() > kBlockMatchMemos) r.memos.resize(kBlockMatchMemos);
}

bool wholeBlock(const Recording& r, uint64_t b) { return r.entries[b].records == kIndexBlockRecords; }

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

bool blockMatchLines(const Recording& r, const MatchPlan& plan, uint64_t b, std::vector<uint64_t>& lines) {
  lines.clear();
  std::vector<unsigned char> bytes;
  const uint64_t first = b * kIndexBlockRecords;
  if (!readRecords(r, first, r.entries[b].records, true, bytes)) return false;
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
  return true;
}

bool blockMatchCounts(const Recording& r, const MatchPlan& plan, uint64_t first, uint64_t end,
                      std::vector<uint64_t>& counts) {
  end = std::min<uint64_t>(end, r.entries.size());
  counts.assign(end > first ? end - first : 0, 0);
  const std::string name = memoName(plan);
  std::vector<int64_t> known = rememberedCounts(r, name);
  std::unique_lock<std::mutex> filling(r.memoFilling, std::defer_lock);
  for (uint64_t b = first; b < end && !filling.owns_lock(); ++b) {
    if (known[b] < 0 && summaryDecision(r, plan, b) < 0) {
      filling.lock();
      known = rememberedCounts(r, name);  // as the request that held it left the memo
    }
  }
  std::vector<std::pair<uint64_t, uint64_t>> found;
  std::vector<uint64_t> lines;
  bool read = true;
  for (uint64_t b = first; b < end; ++b) {
    const int64_t decided = summaryDecision(r, plan, b);
    if (decided >= 0 || known[b] >= 0) {
      counts[b - first] = static_cast<uint64_t>(decided >= 0 ? decided : known[b]);
    } else if (blockMatchLines(r, plan, b, lines)) {
      counts[b - first] = lines.size();
      if (wholeBlock(r, b)) found.emplace_back(b, lines.size());
    } else {
      read = false;
    }
  }
  remember(r, name, found);
  return read;
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
  std::vector<uint64_t> counts;
  if (!blockMatchCounts(*r, makeMatchPlan(settings), 0, r->entries.size(), counts)) {
    return readFailedAnswer();
  }
  uint64_t count = 0;
  for (const uint64_t n : counts) count += n;
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
  const std::string name = memoName(plan);
  const std::vector<int64_t> known = rememberedCounts(*r, name);
  std::vector<std::pair<uint64_t, uint64_t>> found;
  std::vector<uint64_t> lines;
  // The lines of block b, unless the summaries or the memo say it holds none; its count remembered.
  auto linesOf = [&](uint64_t b) {
    lines.clear();
    if (summaryDecision(*r, plan, b) == 0 || known[b] == 0) return true;
    if (!blockMatchLines(*r, plan, b, lines)) return false;
    if (wholeBlock(*r, b)) found.emplace_back(b, lines.size());
    return true;
  };
  answer.body = nlohmann::json{{"line", nullptr}};
  bool read = true;
  // With the gap after, a block decides the last record of the block before it too.
  if (direction == "next") {
    for (uint64_t b = from / kIndexBlockRecords; read && b < blocks && answer.body["line"].is_null(); ++b) {
      read = linesOf(b);
      const auto after = std::upper_bound(lines.begin(), lines.end(), from);
      if (after != lines.end()) answer.body["line"] = *after;
    }
  } else if (from > 1 && blocks > 0) {
    const uint64_t last = std::min((from - 1) / kIndexBlockRecords, blocks - 1);
    for (uint64_t b = last + 1; read && b-- > 0 && answer.body["line"].is_null();) {
      read = linesOf(b);
      const auto before = std::lower_bound(lines.begin(), lines.end(), from);
      if (before != lines.begin()) answer.body["line"] = *std::prev(before);
    }
  }
  remember(*r, name, found);
  if (!read) return readFailedAnswer();
  return answer;
}
