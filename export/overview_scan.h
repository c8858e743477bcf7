// What a recording's overview shows, gathered in one pass over the data file into a fixed number
// of bins, so that the summary of a 50 GB file is as small as that of a short one.
//
// The plots run over the recorded time: the sum of the steps from each record's time tag to the
// next that go forward by at most an hour. A step backwards (a new IRIG-B lock, the turn of the
// year) or more than an hour ahead is a time break: it is noted and adds nothing to the recorded
// time. The bins cover the recorded time from 0 in equal widths; when the time outgrows them,
// neighbouring bins are merged and the width doubles. There are enough of them (8192, about 1 s
// each over two hours) that a few seconds' silence of one bus leaves whole bins empty.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/status_code.h"
#include "files/scan_progress.h"

constexpr unsigned kOverviewBins = 8192;
constexpr uint64_t kOverviewFirstBinHalfMicros = 2048;  // about 1 ms; a power of two
constexpr unsigned kGapOctaves = 48;                    // gap histogram: [2^k, 2^(k+1)) half microseconds
constexpr size_t kMaxListedBreaks = 200;

struct OverviewBin {
  uint64_t words[4] = {};          // by bus J1 to J4
  uint64_t errorWords = 0;
  uint64_t firstHalfMicros = 0;    // the time tag of the bin's first record
  bool used = false;
};

struct TimeBreak {
  uint64_t line = 0;               // the record after the break
  uint64_t recordedHalfMicros = 0; // where it falls on the recorded time
  uint64_t fromHalfMicros = 0;     // the time tags before and after
  uint64_t toHalfMicros = 0;
};

struct OverviewSummary {
  uint64_t records = 0;
  uint64_t trailingBytes = 0;      // a cut-off record at the end, not counted
  uint64_t firstHalfMicros = 0;    // time tags of the first and last record in file order
  uint64_t lastHalfMicros = 0;
  uint64_t recordedHalfMicros = 0; // the recorded time
  uint64_t words[4] = {};
  uint64_t commandWords[4] = {};
  uint64_t errorWords[4] = {};
  uint64_t flagCounts[4] = {};     // words with Sh, Lg, Mn, Py
  uint64_t binHalfMicros = kOverviewFirstBinHalfMicros;
  unsigned binsUsed = 0;           // bins from the first up to the last that holds records
  OverviewBin bins[kOverviewBins];
  uint64_t gapOctaves[kGapOctaves] = {};
  uint64_t zeroGaps = 0;           // consecutive records with the same time tag
  uint64_t backwardSteps = 0;
  uint64_t forwardJumps = 0;       // more than an hour ahead
  std::vector<TimeBreak> breaks;   // the first kMaxListedBreaks of them
  uint64_t unlistedFromHalfMicros = UINT64_MAX;  // the recorded time of the first break not listed
  uint64_t mdmCommandCodes[16] = {};  // command words by bits 17-14
};

// The time each bin covers: its width, the last used one up to the end of the recorded time.
std::vector<double> binCoveredSeconds(const OverviewSummary& summary);

// One pass over the file. FileOpenError when it cannot be opened.
StatusCode scanOverview(const std::string& path, OverviewSummary& summary, const ScanProgress* progress = nullptr);
