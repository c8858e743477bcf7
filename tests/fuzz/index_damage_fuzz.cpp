// A saved index spoiled in any way never changes a search result. The input draws a data file of
// up to three blocks (the search tests' varied records), whether it grows after its index is
// made, the spoiling of the index (bits flipped in entries, header fields changed under a new
// checksum, cut short, trailing bytes), and one search. Checked: a spoiled index is never
// believed, and every search with the index gives what the records themselves give.
#include <cstdio>
#include <string>
#include <vector>

#include "index/index_build.h"
#include "index/index_file.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/unit/search/varied_records.h"

namespace {

// Changes the index bytes as the input says; true when a header field was changed under a new
// checksum.
bool spoil(std::vector<unsigned char>& index, ParameterBytes& p) {
  bool resealed = false;
  for (unsigned n = p.byte() % 4; n > 0 && !index.empty(); --n) {
    switch (p.byte() % 3) {
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
      default:  // cut short, or bytes added at the end
        index.resize(p.word() % (index.size() + 200), p.byte());
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
  const size_t count = (p.byte() % 3) * kIndexBlockRecords + p.word() % kIndexBlockRecords;
  const std::vector<BusRecord> records = variedRecords(seed, count);
  const Bytes bytes = dataFileBytes(records);
  const bool grows = p.byte() % 4 == 0 && count > 1;
  const size_t before = grows ? (count / 2) * kBusRecordBytes : bytes.size();

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
  // No damaged index is believed, nor the index of a file that has grown since. (A header changed
  // under a new checksum is a forgery, not damage; the results below are checked either way.)
  if (index != good && !resealed) FUZZ_CHECK(usable.entries.empty());
  if (index == good) FUZZ_CHECK(usable.coversFile != grows);

  ScanOptions withIndex;
  withIndex.leaveIndex = false;
  withIndex.pass.threads = 1 + p.byte() % 2;
  checkSearch(path, records, p, withIndex);
  return 0;
}
