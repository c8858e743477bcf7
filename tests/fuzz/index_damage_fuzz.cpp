// A saved index spoiled in any way never changes a search result. The input draws a data file of
// up to three blocks (traffic in stretches of their own channels, sync, errors, words and time
// steps), whether it grows after its index is made, the spoiling of the index (bits flipped in
// entries, header fields changed under a new checksum, cut short, trailing bytes), and one search.
// Checked: a spoiled index is never believed, and every search gives what a full read gives.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "files/bus_record.h"
#include "index/index_build.h"
#include "index/index_file.h"
#include "search/pattern_search.h"
#include "search/time_search.h"
#include "tests/fuzz/fuzz_parameters.h"
#include "tests/fuzz/fuzz_scratch.h"
#include "tests/support/record_oracles.h"
#include "tests/support/test_records.h"

namespace {

// Records in stretches, each with its own channels, sync, error flags, words and time steps.
std::vector<unsigned char> makeRecords(uint32_t seed, size_t count) {
  auto next = [&seed](uint32_t range) { return ((seed = seed * 1664525u + 1013904223u) >> 8) % range; };
  std::vector<BusRecord> records;
  uint64_t half = 86400ull * 2000000ull * (1 + next(300)) + next(2000000);
  size_t left = 0;
  uint32_t channels = 0, kind = 0, word = 0;
  for (size_t i = 0; i < count; ++i) {
    if (left-- == 0) {
      left = 500 + next(20000);
      channels = 1 + next(15), kind = next(64), word = next(1u << 24);
    }
    const uint32_t roll = next(1000);
    half += (kind & 3) == 0 ? 40 + next(60) : (kind & 3) == 1 ? (roll < 300 ? 0 : 2) : (kind & 3) == 2 ? 50 - (roll < 5 ? 3000 : 0) : next(4000000);
    uint32_t channel = next(4);
    while (((channels >> channel) & 1u) == 0) channel = (channel + 1) % 4;
    const uint32_t sync = (kind >> 2) & 1u ? roll & 1u : (kind >> 3) & 1u;
    const uint32_t errors = (kind >> 4) & 1u ? (roll < 3 ? 1 + next(15) : 0) : 0;
    const uint32_t busWord = (kind >> 5) & 1u ? word : next(1u << 24);
    records.push_back(testRecord({half, busWord, channel, sync, errors}));
  }
  return dataFileBytes(records);
}

// Changes the index bytes as the input says; true when a header field was changed under a new
// checksum.
bool spoil(std::vector<unsigned char>& index, ParameterBytes& p) {
  bool resealed = false;
  for (unsigned n = p.byte() % 4; n > 0 && !index.empty(); --n) {
    switch (p.byte() % 4) {
      case 0:  // a bit anywhere
        index[p.word() % index.size()] ^= static_cast<unsigned char>(1u << (p.byte() % 8));
        break;
      case 1: {  // a header field, under a checksum made anew
        if (index.size() < kIndexHeaderBytes) break;
        index[p.byte() % 56] ^= static_cast<unsigned char>(1 + p.byte() % 255);
        const uint64_t sum = indexFileChecksum(index.data(), index.size());
        for (int i = 0; i < 8; ++i) index[56 + i] = static_cast<unsigned char>(sum >> (8 * i));
        resealed = true;
        break;
      }
      case 2:  // cut short
        index.resize(p.word() % index.size());
        break;
      default:  // bytes added at the end
        index.insert(index.end(), 1 + p.byte() % 200, p.byte());
        break;
    }
  }
  return resealed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = fuzz::scratchPath("RUN.QEL");
  static const std::string indexPath = indexPathFor(path);
  ParameterBytes p{data, size};
  const uint32_t seed = p.word();
  const size_t records = (p.byte() % 3) * kIndexBlockRecords + p.word() % kIndexBlockRecords;
  const std::vector<unsigned char> bytes = makeRecords(seed, records);
  const bool grows = p.byte() % 4 == 0 && records > 1;
  const size_t before = grows ? (records / 2) * kBusRecordBytes : bytes.size();

  fuzz::writeScratchFile(path, bytes.data(), before);
  std::remove(indexPath.c_str());
  IndexRefresh made;
  FUZZ_CHECK(refreshDataFileIndex(path, made) == StatusCode::Success && made.saved);
  if (grows) fuzz::writeScratchFile(path, bytes.data(), bytes.size());
  Bytes index = readBytes(indexPath);
  const Bytes good = index;
  const bool resealed = spoil(index, p);
  fuzz::writeScratchFile(indexPath, index.data(), index.size());

  DataFileSource source;
  FUZZ_CHECK(openDataFileSource(path, source));
  const UsableIndex usable = loadUsableIndex(path, source);
  closeDataFileSource(source);
  // No damaged index is believed. (A header changed under a new checksum is a forgery, not
  // damage; of a grown file, only its time of modification may then pass, which the entries do
  // not depend on. The results below are checked either way.)
  if (index != good && !resealed) FUZZ_CHECK(usable.entries.empty());
  if (index == good) FUZZ_CHECK(usable.coversFile != grows);

  ScanOptions withIndex, fullRead;
  withIndex.leaveIndex = false;
  withIndex.pass.threads = 1 + p.byte() % 2;
  fullRead.useIndex = false;
  SearchSettings settings = settingsFrom(p);
  switch (p.byte() % 3) {
    case 0: {
      std::vector<uint64_t> a, b;
      FUZZ_CHECK(forEachMatch(path, settings, [&](uint64_t line) { return a.push_back(line), true; }, withIndex) ==
                 StatusCode::Success);
      FUZZ_CHECK(forEachMatch(path, settings, [&](uint64_t line) { return b.push_back(line), true; }, fullRead) ==
                 StatusCode::Success);
      FUZZ_CHECK(a == b);
      break;
    }
    case 1: {
      settings.searchMode = p.byte() % 2;
      SearchSettings other = settings;
      FUZZ_CHECK(searchPattern(path, settings, withIndex) == StatusCode::Success);
      FUZZ_CHECK(searchPattern(path, other, fullRead) == StatusCode::Success);
      FUZZ_CHECK(settings.searchResult == other.searchResult);
      break;
    }
    default: {
      const size_t at = records > 0 ? p.word() % records : 0;
      double target = 0.0;
      if (records > 0) {
        BusRecord record = busRecordFromBytes(&bytes[at * kBusRecordBytes]);
        target = timeTagMicros(timeTagOf(record)) + (static_cast<int>(p.byte() % 9) - 4) * 0.5;
      }
      uint64_t a = 0, b = 0;
      FUZZ_CHECK(findTimeTag(path, target, a, withIndex) == StatusCode::Success);
      FUZZ_CHECK(findTimeTag(path, target, b, fullRead) == StatusCode::Success);
      FUZZ_CHECK(a == b);
      break;
    }
  }
  return 0;
}
