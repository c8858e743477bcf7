#include "export/overview_scan.h"

#include "files/bus_record.h"
#include "files/data_file.h"
#include "files/report.h"
#include "files/record_blocks.h"
#include "search/scan_kernels.h"

namespace {

constexpr uint64_t kBreakHalfMicros = kHalfMicrosPerHour;  // more than an hour ahead

// The index of the highest bit set (value > 0).
unsigned octaveOf(uint64_t value) {
#if defined(__GNUC__)
  return 63u - static_cast<unsigned>(__builtin_clzll(value));
#else
  unsigned octave = 0;
  while (value >>= 1) ++octave;
  return octave;
#endif
}

// Halves the resolution: bin i takes bins 2i and 2i + 1.
void mergeBins(OverviewSummary& s) {
  for (unsigned i = 0; i < kOverviewBins / 2; ++i) {
    OverviewBin merged = s.bins[2 * i];
    const OverviewBin& second = s.bins[2 * i + 1];
    for (int bus = 0; bus < 4; ++bus) merged.words[bus] += second.words[bus];
    merged.errorWords += second.errorWords;
    if (!merged.used) merged.firstHalfMicros = second.firstHalfMicros;
    merged.used = merged.used || second.used;
    s.bins[i] = merged;
  }
  for (unsigned i = kOverviewBins / 2; i < kOverviewBins; ++i) s.bins[i] = OverviewBin{};
  s.binHalfMicros *= 2;
}

// What the pass carries from one record to the next, held apart from the summary so that the
// compiler can keep it in registers.
struct ScanState {
  HalfMicrosClock clock;
  uint64_t previous = 0;   // the time of the record before
  uint64_t recorded = 0;   // the recorded time so far
  unsigned binShift = 0;   // bin = recorded time >> binShift
  uint64_t bin = UINT64_MAX;  // the bin of the record before; none at first
};

void noteBreak(OverviewSummary& s, uint64_t line, uint64_t recorded, uint64_t from, uint64_t to) {
  if (s.breaks.size() < kMaxListedBreaks) {
    s.breaks.push_back(TimeBreak{line, recorded, from, to});
  } else if (s.unlistedFromHalfMicros == UINT64_MAX) {
    s.unlistedFromHalfMicros = recorded;
  }
}

// The records of one block; line is that of the block's first record. What runs from record to
// record is held in locals for the length of the block.
void scanBlock(OverviewSummary& s, ScanState& st, uint64_t line, const unsigned char* block, size_t count) {
  HalfMicrosClock clock = st.clock;
  uint64_t previous = st.previous, recorded = st.recorded, binIndex = st.bin;
  unsigned shift = st.binShift;
  // Before the first record no bin is current; the first record always makes one so.
  OverviewBin* bin = &s.bins[binIndex < kOverviewBins ? binIndex : 0];
  for (size_t i = 0; i < count; ++i, ++line) {
    const unsigned char* record = block + i * kBusRecordBytes;
    const uint64_t time = recordHalfMicros(clock, record);
    if (time >= previous) {
      const uint64_t step = time - previous;
      if (step == 0) {
        ++s.zeroGaps;
      } else {
        ++s.gapOctaves[octaveOf(step)];
      }
      if (step <= kBreakHalfMicros) {
        recorded += step;
      } else {
        ++s.forwardJumps;
        noteBreak(s, line, recorded, previous, time);
      }
    } else {
      ++s.backwardSteps;
      noteBreak(s, line, recorded, previous, time);
    }
    previous = time;

    uint64_t index = recorded >> shift;
    if (index != binIndex) {
      while (index >= kOverviewBins) {
        mergeBins(s);
        ++shift;
        index >>= 1;
      }
      binIndex = index;
      bin = &s.bins[index];
      if (!bin->used) {
        bin->used = true;
        bin->firstHalfMicros = time;
      }
    }
    const uint32_t lw2 = recordLongword(record, 2);
    const unsigned bus = fieldValue(lw2, busfield::kBusChannel);
    ++bin->words[bus];
    const unsigned flags = fieldValue(lw2, busfield::kErrorFlags);
    if (flags != 0) {
      ++bin->errorWords;
      ++s.errorWords[bus];
      for (int f = 0; f < 4; ++f) s.flagCounts[f] += (flags >> f) & 1u;
    }
    if (fieldValue(lw2, busfield::kCommandSync) != 0) {
      ++s.commandWords[bus];
      ++s.mdmCommandCodes[mdmCommandCode(fieldValue(lw2, busfield::kBusWord))];
    }
  }
  st.clock = clock;
  st.previous = previous;
  st.recorded = recorded;
  st.bin = binIndex;
  st.binShift = shift;
}

}  // namespace

std::vector<double> binCoveredSeconds(const OverviewSummary& s) {
  std::vector<double> covered(s.binsUsed, static_cast<double>(s.binHalfMicros) / kHalfMicrosPerSecond);
  if (!covered.empty()) {
    const uint64_t lastStart = s.binHalfMicros * (s.binsUsed - 1);
    covered.back() = static_cast<double>(s.recordedHalfMicros - lastStart) / kHalfMicrosPerSecond;
  }
  return covered;
}

StatusCode scanOverview(const std::string& path, OverviewSummary& summary, const ScanProgress* progress) {
  summary = OverviewSummary{};
  RecordBlockReader reader;
  if (!openRecordBlocks(reader, path, kRecordBlockBytes, progress)) return StatusCode::FileOpenError;
  ScanState state;
  state.binShift = octaveOf(kOverviewFirstBinHalfMicros);
  const unsigned char* block = nullptr;
  size_t count;
  while ((count = nextRecordBlock(reader, block)) > 0) {
    if (summary.records == 0) {
      // The first record starts the time. scanBlock counts its step from itself as a gap of zero,
      // which it is not.
      state.previous = recordHalfMicros(state.clock, block);
      summary.firstHalfMicros = state.previous;
      --summary.zeroGaps;
    }
    scanBlock(summary, state, summary.records + 1, block, count);
    summary.records += count;
  }
  summary.trailingBytes = reader.held - reader.handedOut;
  summary.lastHalfMicros = state.previous;
  summary.recordedHalfMicros = state.recorded;
  for (unsigned i = 0; i < kOverviewBins; ++i) {
    if (summary.bins[i].used) summary.binsUsed = i + 1;
    for (int bus = 0; bus < 4; ++bus) summary.words[bus] += summary.bins[i].words[bus];
  }
  return closeRecordBlocks(reader);
}
