#include "search/time_search.h"

#include <cmath>

#include "files/bus_record.h"
#include <algorithm>
#include <vector>

#include "search/indexed_file.h"
#include "search/scan_kernels.h"

namespace {

// A whole-number field of at most maxLength digits; an empty field is 0.
void readWholeField(const char* text, unsigned maxLength, StatusCode& status, double& value) {
  value = 0.0;
  if (text == nullptr) return;
  for (unsigned place = 0; status == StatusCode::Success && text[place] != '\0'; ++place) {
    const char c = text[place];
    if (place >= maxLength || c < '0' || c > '9') {
      status = StatusCode::SyntaxError;
    } else {
      value = value * 10.0 + (c - '0');
    }
  }
}

// The digits after the decimal point in microseconds: the first digit counts 100000, the sixth 1,
// later ones fractions of a microsecond, until their weight has run out. Every character is a
// digit, however long the field.
void readFractionField(const char* text, StatusCode& status, double& micros) {
  double weight = 1000000.0;
  double sum = 0.0;
  for (const char* p = text != nullptr ? text : ""; status == StatusCode::Success && *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') {
      status = StatusCode::SyntaxError;
    } else {
      sum += (*p - '0') * weight;
    }
    weight *= 0.1;
  }
  micros = sum * 0.1;
}

}  // namespace

// t / 2 >= target  <=>  t >= ceil(2 target) for a whole t.
uint64_t firstHalfMicrosAtOrAfter(double target) {
  if (std::isnan(target)) return UINT64_MAX;
  const double twice = std::ceil(2.0 * target);
  if (twice <= 0.0) return 0;
  if (twice >= 9223372036854775808.0) return UINT64_MAX;
  return static_cast<uint64_t>(twice);
}

StatusCode parseTimeTagFields(const char* day, const char* hours, const char* minutes, const char* seconds,
                              const char* fraction, double& target) {
  StatusCode status = StatusCode::Success;
  target = 0.0;
  double d = 0.0, h = 0.0, m = 0.0, s = 0.0, micros = 0.0;
  readWholeField(day, 3, status, d);
  readWholeField(hours, 2, status, h);
  readWholeField(minutes, 2, status, m);
  readWholeField(seconds, 2, status, s);
  readFractionField(fraction, status, micros);
  if (d > 366.0 || h > 23.0 || m > 59.0 || s > 59.0 || micros > 999999.0) status = StatusCode::SyntaxError;
  if (status == StatusCode::Success) {
    target = d * 86400000000.0 + h * 3600000000.0 + m * 60000000.0 + s * 1000000.0 + micros;
  }
  return status;
}

StatusCode findTimeTag(const std::string& path, double target, uint64_t& line, const ScanOptions& options) {
  line = 0;
  IndexedFile file;
  if (!openIndexedFile(path, options, file)) return StatusCode::FileOpenError;
  const uint64_t wanted = firstHalfMicrosAtOrAfter(target);
  // Blocks whose largest time is below the target hold no such record.
  uint64_t counter = 1;
  uint64_t block = 0;
  while (block < file.entries.size() && file.entries[block].maxTime < wanted) {
    counter += file.entries[block].records;
    ++block;
  }
  // Then the block that holds it, when the index knows it, or every block from there on.
  struct Found {
    std::vector<size_t> before;  // records before the first at or after the target, for each block read
    std::vector<size_t> read;    // records read of each block
    std::vector<BlockEntry> entries;
  };
  std::vector<Found> slots(passSlots(options.pass));
  PassOptions pass = options.pass;
  if (block < file.entries.size()) {
    pass.threads = 1;  // the one block to read
    pass.runBlocks = 1;
  }
  bool found = false;
  const StatusCode status = runBlockPass(
      file.source, {BlockRange{block, file.blocks - block}}, pass,
      [&](unsigned slot, const BlockRun& run) {
        Found& out = slots[slot];
        out.before.clear();
        out.read.clear();
        out.entries.clear();
        uint64_t done = 0;
        for (uint64_t b = run.firstBlock; done < run.recordCount; ++b) {
          const size_t count = static_cast<size_t>(std::min(kIndexBlockRecords, run.recordCount - done));
          const unsigned char* records = run.records + done * kBusRecordBytes;
          HalfMicrosClock clock;
          const size_t before = findBlockTimeAtOrAfter(clock, wanted, records, count);
          out.before.push_back(before);
          out.read.push_back(count);
          if (before < count) break;
          if (needsEntry(file, b)) out.entries.push_back(summarizeBlock(records, count));
          done += count;
        }
      },
      [&](unsigned slot, const BlockRun& run) {
        const Found& results = slots[slot];
        for (size_t k = 0; k < results.before.size(); ++k) {
          counter += results.before[k];
          if (results.before[k] < results.read[k]) {
            found = true;
            return false;
          }
        }
        file.built.insert(file.built.end(), results.entries.begin(), results.entries.end());
        reportPassed(file, run.firstBlock + run.blocks);
        return true;
      });
  const bool complete = ok(status) && !found;
  if (complete) reportPassed(file, file.blocks);
  finishIndexedFile(file, complete);
  line = ok(status) ? counter : 0;
  return status;
}

StatusCode findTimeTag(const std::string& path, double target, uint64_t& line, const ScanProgress* progress) {
  ScanOptions options;
  options.progress = progress;
  return findTimeTag(path, target, line, options);
}
