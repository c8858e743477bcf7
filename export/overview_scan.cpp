#include "export/overview_scan.h"

#include "files/bus_record.h"
#include "files/data_file.h"
#include "search/record_blocks.h"
#include "search/scan_kernels.h"

namespace {

constexpr uint64_t kBreakHalfMicros = 7200000000ull;  // more than an hour ahead

unsigned octaveOf(uint64_t value) {
  unsigned octave = 0;
  while (value >>= 1) ++octave;
  return octave;
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

struct ScanState {
  HalfMicrosClock clock;
  uint64_t previous = 0;
  unsigned binShift = 0;  // bin = recorded time >> binShift
};

void addRecord(OverviewSummary& s, ScanState& st, const unsigned char* record) {
  const uint64_t time = recordHalfMicros(st.clock, record);
  const uint64_t line = ++s.records;
  if (line == 1) {
    s.firstHalfMicros = time;
  } else if (time < st.previous) {
    ++s.backwardSteps;
  } else {
    const uint64_t step = time - st.previous;
    if (step == 0) {
      ++s.zeroGaps;
    } else {
      ++s.gapOctaves[octaveOf(step)];
    }
    if (step <= kBreakHalfMicros) {
      s.recordedHalfMicros += step;
    } else {
      ++s.forwardJumps;
    }
  }
  if (line > 1 && (time < st.previous || time - st.previous > kBreakHalfMicros) &&
      s.breaks.size() < kMaxListedBreaks) {
    s.breaks.push_back(TimeBreak{line, s.recordedHalfMicros, st.previous, time});
  }
  st.previous = time;

  uint64_t bin = s.recordedHalfMicros >> st.binShift;
  while (bin >= kOverviewBins) {
    mergeBins(s);
    ++st.binShift;
    bin >>= 1;
  }
  OverviewBin& b = s.bins[bin];
  if (!b.used) {
    b.used = true;
    b.firstHalfMicros = time;
  }
  const uint32_t lw2 = recordLongword(record, 2);
  const unsigned bus = lw2 >> 30;
  const unsigned flags = (lw2 >> 24) & 0xFu;
  ++b.words[bus];
  ++s.words[bus];
  if (flags != 0) {
    ++b.errorWords;
    ++s.errorWords[bus];
    for (int f = 0; f < 4; ++f) s.flagCounts[f] += (flags >> f) & 1u;
  }
  if (lw2 & 0x10000000u) {
    ++s.commandWords[bus];
    ++s.mdmCommandCodes[(lw2 >> 14) & 0xFu];
  }
}

}  // namespace

StatusCode scanOverview(const std::string& path, OverviewSummary& summary, const ScanProgress* progress) {
  summary = OverviewSummary{};
  RecordBlockReader reader;
  if (!openRecordBlocks(reader, path, kRecordBlockBytes, progress)) return StatusCode::FileOpenError;
  ScanState state;
  state.binShift = octaveOf(kOverviewFirstBinHalfMicros);
  const unsigned char* block = nullptr;
  size_t count;
  while ((count = nextRecordBlock(reader, block)) > 0) {
    for (size_t i = 0; i < count; ++i) addRecord(summary, state, block + i * kBusRecordBytes);
  }
  summary.trailingBytes = reader.held - reader.handedOut;
  summary.lastHalfMicros = state.previous;
  for (unsigned i = 0; i < kOverviewBins; ++i) {
    if (summary.bins[i].used) summary.binsUsed = i + 1;
  }
  closeRecordBlocks(reader);
  return StatusCode::Success;
}
