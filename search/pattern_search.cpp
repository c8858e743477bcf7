#include "search/pattern_search.h"

#include <cmath>
#include <vector>

#include "files/bus_record.h"
#include "search/block_decisions.h"
#include "search/indexed_file.h"
#include "search/scan_kernels.h"

namespace {

enum class PatternMode { Count, Find, Visit };

// What the work on one run of blocks leaves for the consumer.
struct RunResults {
  std::vector<uint64_t> counts;     // matches decided in each block of the run that was read
  std::vector<uint64_t> lines;      // Visit: the lines of those matches, in order
  std::vector<BlockEntry> entries;  // for the run's blocks beyond the believed index
};

// The scan state at the start of a run, as a scan of the whole file leaves it after the record
// before the run.
MatchScanState stateAfter(const MatchPlan& plan, uint64_t line, const unsigned char* before) {
  MatchScanState state;
  state.line = line;
  if (before != nullptr) {
    state.prevTime = recordHalfMicros(state.clock, before);
    state.pending = plan.gap && plan.gapAfter && recordMeetsPlan(plan, recordLongword(before, 2));
  }
  return state;
}

void scanRun(const MatchPlan& plan, const IndexedFile& file, PatternMode mode, const BlockRun& run,
             RunResults& out) {
  out.counts.clear();
  out.lines.clear();
  out.entries.clear();
  MatchScanState state = stateAfter(plan, run.firstBlock * kIndexBlockRecords, run.before);
  uint64_t done = 0;
  for (uint64_t block = run.firstBlock; done < run.recordCount; ++block) {
    const size_t count = static_cast<size_t>(std::min(kIndexBlockRecords, run.recordCount - done));
    const unsigned char* records = run.records + done * kBusRecordBytes;
    if (mode == PatternMode::Visit) {
      const size_t before = out.lines.size();
      visitBlockMatches(plan, state, records, count, [&out](uint64_t line) {
        out.lines.push_back(line);
        return true;
      });
      out.counts.push_back(out.lines.size() - before);
    } else {
      out.counts.push_back(countBlockMatches(plan, state, records, count));
    }
    if (needsEntry(file, block)) out.entries.push_back(summarizeBlock(records, count));
    done += count;
  }
}

// The line of the wanted-th match decided in one block, 0 when there are fewer.
StatusCode locateInBlock(const MatchPlan& plan, IndexedFile& file, uint64_t block, uint64_t wanted, uint64_t& found) {
  PassOptions single = file.options->pass;
  single.threads = 1;
  found = 0;
  return runBlockPass(
      file.source, {BlockRange{block, 1}}, single,
      [&](unsigned, const BlockRun& run) {
        MatchScanState state = stateAfter(plan, run.firstBlock * kIndexBlockRecords, run.before);
        uint64_t seen = 0;
        visitBlockMatches(plan, state, run.records, static_cast<size_t>(run.recordCount), [&](uint64_t line) {
          if (++seen < wanted) return true;
          found = line;
          return false;
        });
      },
      [](unsigned, const BlockRun&) { return false; });
}

struct PatternOutcome {
  uint64_t matches = 0;    // Count, and Find when the wanted match is not there
  uint64_t foundLine = 0;  // Find
};

// One search. Blocks whose summaries decide their matches are not read (Visit reads those with
// any match, for their lines); the rest are read and scanned, in file order.
StatusCode runPatternSearch(const std::string& path, const MatchPlan& plan, PatternMode mode, uint64_t stopAt,
                            const std::function<bool(uint64_t line)>& onMatch, const ScanOptions& options,
                            PatternOutcome& outcome) {
  IndexedFile file;
  if (!openIndexedFile(path, options, file)) return StatusCode::FileOpenError;
  const uint64_t covered = file.entries.size();
  std::vector<int64_t> known(covered);
  for (uint64_t b = 0; b < covered; ++b) {
    known[b] = matchesFromSummary(plan, b > 0 ? &file.entries[b - 1] : nullptr, file.entries[b]);
  }
  std::vector<BlockRange> ranges;
  for (uint64_t b = 0; b < file.blocks; ++b) {
    const bool read = b >= covered || (mode == PatternMode::Visit ? known[b] != 0 : known[b] < 0);
    if (!read) continue;
    if (!ranges.empty() && ranges.back().first + ranges.back().count == b) {
      ++ranges.back().count;
    } else {
      ranges.push_back(BlockRange{b, 1});
    }
  }

  uint64_t matches = 0;
  uint64_t nextBlock = 0;  // blocks before it are accounted for
  uint64_t target = UINT64_MAX;  // Find: the block that holds the wanted match
  bool ended = false;            // Visit stopped by onMatch
  // Accounts for the blocks decided by their summaries, up to `until`.
  auto passKnown = [&](uint64_t until) {
    for (; nextBlock < until; ++nextBlock) {
      const uint64_t n = static_cast<uint64_t>(known[nextBlock]);
      if (mode == PatternMode::Find && n >= stopAt - matches) {
        target = nextBlock;
        return false;
      }
      matches += n;
    }
    return true;
  };
  std::vector<RunResults> slots(passSlots(options.pass));
  StatusCode status = runBlockPass(
      file.source, ranges, options.pass,
      [&](unsigned slot, const BlockRun& run) { scanRun(plan, file, mode, run, slots[slot]); },
      [&](unsigned slot, const BlockRun& run) {
        if (!passKnown(run.firstBlock)) return false;
        const RunResults& results = slots[slot];
        size_t line = 0;
        for (size_t k = 0; k < results.counts.size(); ++k) {
          const uint64_t n = results.counts[k];
          if (mode == PatternMode::Find && n >= stopAt - matches) {
            target = run.firstBlock + k;
            return false;
          }
          for (uint64_t j = 0; mode == PatternMode::Visit && j < n; ++j) {
            if (!onMatch(results.lines[line++])) {
              ended = true;
              return false;
            }
          }
          matches += n;
        }
        file.built.insert(file.built.end(), results.entries.begin(), results.entries.end());
        nextBlock = run.firstBlock + run.blocks;
        reportPassed(file, nextBlock);
        return true;
      });
  const bool complete = ok(status) && target == UINT64_MAX && !ended && passKnown(file.blocks);
  if (complete) reportPassed(file, file.blocks);
  if (ok(status) && target != UINT64_MAX) {
    status = locateInBlock(plan, file, target, stopAt - matches, outcome.foundLine);
  }
  outcome.matches = ok(status) ? matches : 0;
  finishIndexedFile(file, complete);
  return status;
}

}  // namespace

StatusCode forEachMatch(const std::string& path, const SearchSettings& settings,
                        const std::function<bool(uint64_t line)>& onMatch, const ScanOptions& options) {
  PatternOutcome outcome;
  return runPatternSearch(path, makeMatchPlan(settings), PatternMode::Visit, UINT64_MAX, onMatch, options, outcome);
}

StatusCode forEachMatch(const std::string& path, const SearchSettings& settings,
                        const std::function<bool(uint64_t line)>& onMatch, const ScanProgress* progress) {
  ScanOptions options;
  options.progress = progress;
  return forEachMatch(path, settings, onMatch, options);
}

StatusCode searchPattern(const std::string& path, SearchSettings& settings, const ScanOptions& options) {
  settings.searchResult = 0.0;
  // Find mode stops when the count of matches reaches the occurrence; an occurrence that is not a
  // whole number of at least 1 is never reached, as with an exact comparison.
  uint64_t stopAt = UINT64_MAX;
  const double occurrence = settings.occurrence;
  if (settings.searchMode == 0 && occurrence >= 1.0 && occurrence < 18446744073709551616.0 &&
      std::floor(occurrence) == occurrence) {
    stopAt = static_cast<uint64_t>(occurrence);
  }
  const PatternMode mode = stopAt == UINT64_MAX ? PatternMode::Count : PatternMode::Find;
  PatternOutcome outcome;
  const StatusCode status =
      runPatternSearch(path, makeMatchPlan(settings), mode, stopAt, nullptr, options, outcome);
  if (settings.searchMode == 0) settings.searchResult = static_cast<double>(outcome.foundLine);
  if (settings.searchMode == 1) settings.searchResult = static_cast<double>(outcome.matches);
  return status;
}

StatusCode searchPattern(const std::string& path, SearchSettings& settings, const ScanProgress* progress) {
  ScanOptions options;
  options.progress = progress;
  return searchPattern(path, settings, options);
}
