#include "index/index_file.h"

#include <cstdio>
#include <cstring>

#include "common/little_endian.h"
#include "files/bus_record.h"
#include "files/data_file.h"

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr unsigned char kMagic[8] = {'Q', 'E', 'L', 'I', 'N', 'D', 'E', 'X'};
constexpr size_t kHeaderChecked = 56;  // header bytes under the checksum
constexpr unsigned kSampledBlocks = 8;


// A 64-bit mix of every byte and of the length; each round is a bijection of the state, so a
// change in any one word always shows.
uint64_t mixRound(uint64_t state, uint64_t word) {
  state ^= word * 0x9E3779B97F4A7C15ull;
  state = (state << 31) | (state >> 33);
  return state * 0xBF58476D1CE4E5B9ull;
}
uint64_t absorb(uint64_t state, const unsigned char* bytes, size_t size) {
  size_t at = 0;
  for (; at + 8 <= size; at += 8) state = mixRound(state, getLe64(bytes + at));
  unsigned char tail[8] = {};
  if (size > at) std::memcpy(tail, bytes + at, size - at);
  state = mixRound(state, getLe64(tail));
  return mixRound(state, size);
}
uint64_t finish(uint64_t state) {
  state ^= state >> 33;
  state *= 0xFF51AFD7ED558CCDull;
  state ^= state >> 33;
  state *= 0xC4CEB9FE1A85EC53ull;
  return state ^ (state >> 33);
}

void decodeEntry(const unsigned char* p, BlockEntry& e) {
  e.records = getLe32(p);
  for (unsigned k = 0; k < 3; ++k) {
    e.first[k] = getLe32(p + 4 + 4 * k);
    e.last[k] = getLe32(p + 16 + 4 * k);
  }
  e.minTime = getLe64(p + 28);
  e.maxTime = getLe64(p + 36);
  e.minStep = static_cast<int64_t>(getLe64(p + 44));
  e.maxStep = static_cast<int64_t>(getLe64(p + 52));
  e.maxStepAt = getLe16(p + 60);
  e.backwardSteps = getLe16(p + 62);
  e.firstBackwardAt = getLe16(p + 64);
  e.wordOr = getLe32(p + 66);
  e.wordAnd = getLe32(p + 70);
  for (unsigned k = 0; k < kRecordClasses; ++k) e.classCounts[k] = getLe16(p + 74 + 2 * k);
  for (unsigned k = 0; k < 4; ++k) e.flagCounts[k] = getLe16(p + 106 + 2 * k);
}

// What any true entry satisfies; `whole` for every entry but the last.
bool entryConsistent(const BlockEntry& e, bool whole) {
  if (e.records == 0 || e.records > kIndexBlockRecords || (whole && e.records != kIndexBlockRecords)) return false;
  uint32_t counted = 0;
  for (const uint16_t n : e.classCounts) counted += n;
  if (counted != e.records) return false;
  for (const uint16_t n : e.flagCounts) {
    if (n > e.records) return false;
  }
  const bool steps = e.records > 1;
  if (steps ? (e.minStep > e.maxStep || e.maxStepAt == 0 || e.maxStepAt >= e.records)
            : (e.minStep != INT64_MAX || e.maxStep != INT64_MIN || e.maxStepAt != 0)) {
    return false;
  }
  if (e.backwardSteps >= e.records || (e.backwardSteps > 0) != (e.firstBackwardAt > 0) ||
      e.firstBackwardAt >= e.records || (e.backwardSteps > 0 && e.minStep >= 0)) {
    return false;
  }
  const int64_t beyond = int64_t{1} << 48;  // beyond every time tag and every step between two
  if (e.maxTime >= uint64_t(beyond) || (steps && (e.minStep <= -beyond || e.maxStep >= beyond))) return false;
  if (e.wordOr > busfield::kBusWord.mask || (e.wordAnd & ~e.wordOr) != 0) return false;
  const uint64_t first = entryFirstTime(e), last = entryLastTime(e);
  if (e.minTime > e.maxTime || first < e.minTime || first > e.maxTime || last < e.minTime || last > e.maxTime) {
    return false;
  }
  const uint32_t firstWord = fieldValue(e.first[2], busfield::kBusWord);
  const uint32_t lastWord = fieldValue(e.last[2], busfield::kBusWord);
  if ((firstWord & ~e.wordOr) != 0 || (e.wordAnd & ~firstWord) != 0 || (lastWord & ~e.wordOr) != 0 ||
      (e.wordAnd & ~lastWord) != 0) {
    return false;
  }
  return e.classCounts[recordClassOfFlagByte(e.first[2] >> kFlagByteShift)] > 0 &&
         e.classCounts[recordClassOfFlagByte(e.last[2] >> kFlagByteShift)] > 0;
}

// The whole index file, when it is a regular file no larger than `limit` bytes.
bool readIndexFile(const std::string& path, uint64_t limit, std::vector<unsigned char>& bytes) {
  FILE* file = openRegularFile(path.c_str());
  if (file == nullptr) return false;
  const int64_t size = dataFileSize(file);
  bool good = size >= 0 && static_cast<uint64_t>(size) <= limit;
  if (good) {
    bytes.resize(static_cast<size_t>(size));
    good = readDataFileFully(file, bytes.data(), bytes.size()) == bytes.size();
  }
  std::fclose(file);
  return good;
}

// Bytes of the data file; false unless all of them arrive.
bool readExactly(DataFileSource& source, uint64_t offset, size_t size, std::vector<unsigned char>& into) {
  SourceWindow window;
  size_t got = 0;
  const unsigned char* bytes = viewSourceBytes(source, window, offset, size, got);
  if (got != size) return false;
  into.assign(bytes, bytes + size);
  return true;
}

uint64_t fingerprintOf(DataFileSource& source, uint64_t coveredRecords, bool& readable) {
  const uint64_t covered = coveredRecords * kBusRecordBytes;
  const size_t size = static_cast<size_t>(covered < kFingerprintBytes ? covered : kFingerprintBytes);
  std::vector<unsigned char> head;
  readable = readExactly(source, 0, size, head);
  return readable ? dataFingerprint(head.data(), head.size()) : 0;
}

bool longwordsMatch(const std::vector<unsigned char>& record, const uint32_t longwords[3]) {
  for (unsigned k = 0; k < 3; ++k) {
    if (getLe32(record.data() + 4 * k) != longwords[k]) return false;
  }
  return true;
}

// The first and last records of up to eight blocks spread over the index, against the data file.
bool sampledBlocksMatch(DataFileSource& source, const std::vector<BlockEntry>& entries) {
  const uint64_t n = entries.size();
  std::vector<unsigned char> record;
  for (unsigned j = 0; j < kSampledBlocks && n > 0; ++j) {
    const uint64_t block = (n - 1) * j / (kSampledBlocks - 1);
    const BlockEntry& entry = entries[block];
    const uint64_t start = block * kIndexBlockRecords * kBusRecordBytes;
    if (!readExactly(source, start, kBusRecordBytes, record) || !longwordsMatch(record, entry.first)) return false;
    const uint64_t lastAt = start + (entry.records - 1) * uint64_t{kBusRecordBytes};
    if (!readExactly(source, lastAt, kBusRecordBytes, record) || !longwordsMatch(record, entry.last)) return false;
  }
  return true;
}

}  // namespace

std::string indexPathFor(const std::string& dataPath) {
  const size_t slash = dataPath.find_last_of("/\\");
  const size_t dot = dataPath.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  if (hasExtension && dataPath.size() - dot == 4) {
    const std::string extension = dataPath.substr(dot + 1);
    if (extension == "QEL") return dataPath.substr(0, dot) + ".QIX";
    const bool qel = (extension[0] | 0x20) == 'q' && (extension[1] | 0x20) == 'e' && (extension[2] | 0x20) == 'l';
    if (qel) return dataPath.substr(0, dot) + ".qix";
  }
  return dataPath + ".qix";
}

uint64_t dataFingerprint(const unsigned char* bytes, size_t size) { return finish(absorb(0x4649524Eull, bytes, size)); }

void encodeBlockEntry(const BlockEntry& entry, unsigned char* bytes) {
  const BlockEntry& e = entry;
  unsigned char* p = bytes;
  putLe32(p, e.records);
  for (unsigned k = 0; k < 3; ++k) {
    putLe32(p + 4 + 4 * k, e.first[k]);
    putLe32(p + 16 + 4 * k, e.last[k]);
  }
  putLe64(p + 28, e.minTime);
  putLe64(p + 36, e.maxTime);
  putLe64(p + 44, static_cast<uint64_t>(e.minStep));
  putLe64(p + 52, static_cast<uint64_t>(e.maxStep));
  putLe16(p + 60, static_cast<uint16_t>(e.maxStepAt));
  putLe16(p + 62, static_cast<uint16_t>(e.backwardSteps));
  putLe16(p + 64, static_cast<uint16_t>(e.firstBackwardAt));
  putLe32(p + 66, e.wordOr);
  putLe32(p + 70, e.wordAnd);
  for (unsigned k = 0; k < kRecordClasses; ++k) putLe16(p + 74 + 2 * k, e.classCounts[k]);
  for (unsigned k = 0; k < 4; ++k) putLe16(p + 106 + 2 * k, e.flagCounts[k]);
}

uint64_t addEntryToChecksum(uint64_t state, const unsigned char* entryBytes) {
  return absorb(state, entryBytes, kIndexEntryBytes);
}

void encodeIndexHeader(const BlockIndex& index, uint64_t entryCount, uint64_t entriesState, unsigned char* bytes) {
  unsigned char* p = bytes;
  std::memcpy(p, kMagic, sizeof kMagic);
  putLe32(p + 8, kIndexVersion);
  putLe32(p + 12, kIndexHeaderBytes);
  putLe32(p + 16, kIndexEntryBytes);
  putLe32(p + 20, static_cast<uint32_t>(kIndexBlockRecords));
  putLe64(p + 24, index.coveredRecords);
  putLe64(p + 32, static_cast<uint64_t>(index.dataModifiedNanos));
  putLe64(p + 40, index.fingerprint);
  putLe64(p + 48, entryCount);
  putLe64(p + 56, finish(absorb(entriesState, p, kHeaderChecked)));
}

uint64_t indexFileChecksum(const unsigned char* bytes, size_t size) {
  uint64_t state = kChecksumStart;
  for (size_t at = kIndexHeaderBytes; at + kIndexEntryBytes <= size; at += kIndexEntryBytes) {
    state = addEntryToChecksum(state, bytes + at);
  }
  return finish(absorb(state, bytes, kHeaderChecked));
}

std::vector<unsigned char> encodeBlockIndex(const BlockIndex& index) {
  std::vector<unsigned char> bytes(kIndexHeaderBytes + index.entries.size() * kIndexEntryBytes);
  uint64_t state = kChecksumStart;
  unsigned char* at = bytes.data() + kIndexHeaderBytes;
  for (const BlockEntry& entry : index.entries) {
    encodeBlockEntry(entry, at);
    state = addEntryToChecksum(state, at);
    at += kIndexEntryBytes;
  }
  encodeIndexHeader(index, index.entries.size(), state, bytes.data());
  return bytes;
}

bool decodeBlockIndex(const unsigned char* bytes, size_t size, BlockIndex& index) {
  index = BlockIndex{};
  if (size < kIndexHeaderBytes || std::memcmp(bytes, kMagic, sizeof kMagic) != 0) return false;
  if (getLe32(bytes + 8) != kIndexVersion || getLe32(bytes + 12) != kIndexHeaderBytes ||
      getLe32(bytes + 16) != kIndexEntryBytes || getLe32(bytes + 20) != kIndexBlockRecords) {
    return false;
  }
  const uint64_t count = getLe64(bytes + 48);
  if (count > (size - kIndexHeaderBytes) / kIndexEntryBytes ||
      size != kIndexHeaderBytes + count * kIndexEntryBytes) {
    return false;
  }
  if (indexFileChecksum(bytes, size) != getLe64(bytes + 56)) return false;

  BlockIndex decoded;
  decoded.coveredRecords = getLe64(bytes + 24);
  decoded.dataModifiedNanos = static_cast<int64_t>(getLe64(bytes + 32));
  decoded.fingerprint = getLe64(bytes + 40);
  decoded.entries.resize(static_cast<size_t>(count));
  uint64_t records = 0;
  for (uint64_t i = 0; i < count; ++i) {
    BlockEntry& entry = decoded.entries[i];
    decodeEntry(bytes + kIndexHeaderBytes + i * kIndexEntryBytes, entry);
    if (!entryConsistent(entry, i + 1 < count)) return false;
    records += entry.records;
  }
  if (records != decoded.coveredRecords) return false;
  index = std::move(decoded);
  return true;
}

bool readBlockIndexFile(const std::string& indexPath, uint64_t maxEntries, BlockIndex& index) {
  std::vector<unsigned char> bytes;
  return readIndexFile(indexPath, kIndexHeaderBytes + maxEntries * kIndexEntryBytes, bytes) &&
         decodeBlockIndex(bytes.data(), bytes.size(), index);
}

UsableIndex loadUsableIndex(const std::string& dataPath, DataFileSource& source) {
  UsableIndex usable;
  if (!source.indexable) return usable;
  const uint64_t records = source.stamp.size / kBusRecordBytes;
  const uint64_t blocks = (records + kIndexBlockRecords - 1) / kIndexBlockRecords;
  const std::string path = indexPathFor(dataPath);
  usable.found = pathExists(path.c_str());
  BlockIndex index;
  if (!usable.found || !readBlockIndexFile(path, blocks, index)) return usable;
  if (index.coveredRecords != records || index.dataModifiedNanos != source.stamp.modifiedNanos) return usable;
  bool readable = false;
  if (fingerprintOf(source, index.coveredRecords, readable) != index.fingerprint || !readable) return usable;
  if (!sampledBlocksMatch(source, index.entries)) return usable;
  usable.entries = std::move(index.entries);
  usable.coversFile = true;
  return usable;
}

bool indexFileMayBeReplaced(const std::string& indexPath) {
  if (!pathExists(indexPath.c_str())) return true;
  FILE* file = openRegularFile(indexPath.c_str());
  if (file == nullptr) return false;
  unsigned char head[sizeof kMagic];
  const bool index = readDataFileFully(file, head, sizeof head) == sizeof head &&
                     std::memcmp(head, kMagic, sizeof kMagic) == 0;
  std::fclose(file);
  return index;
}

bool replaceFile(const std::string& temporary, const std::string& target) {
#ifdef _WIN32
  const bool moved = MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
  const bool moved = std::rename(temporary.c_str(), target.c_str()) == 0;
#endif
  if (!moved) std::remove(temporary.c_str());
  return moved;
}

bool blockIndexOf(DataFileSource& source, const std::vector<BlockEntry>& entries, BlockIndex& index) {
  index = BlockIndex{};
  index.entries = entries;
  for (const BlockEntry& entry : entries) index.coveredRecords += entry.records;
  if (index.coveredRecords > source.stamp.size / kBusRecordBytes) return false;
  bool readable = false;
  index.fingerprint = fingerprintOf(source, index.coveredRecords, readable);
  index.dataModifiedNanos = source.stamp.modifiedNanos;
  return readable;
}

bool writeIndexFile(const std::string&, const std::string& indexPath, const std::vector<unsigned char>& bytes) {
#ifdef _WIN32
  const std::string temporary = indexPath + ".tmp" + std::to_string(_getpid());
#else
  const std::string temporary = indexPath + ".tmp" + std::to_string(getpid());
#endif
  FILE* file = openDataFile(temporary.c_str(), "wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0) written = false;
  if (!written) {
    std::remove(temporary.c_str());
    return false;
  }
  return replaceFile(temporary, indexPath);
}

bool saveBlockIndex(const std::string& dataPath, DataFileSource& source, const std::vector<BlockEntry>& entries,
                    const IndexWriter* writer) {
  const std::string path = indexPathFor(dataPath);
  BlockIndex index;
  if (!source.indexable || !indexFileMayBeReplaced(path) || !blockIndexOf(source, entries, index)) return false;
  const std::vector<unsigned char> bytes = encodeBlockIndex(index);
  return writer != nullptr && *writer ? (*writer)(dataPath, path, bytes) : writeIndexFile(dataPath, path, bytes);
}

bool saveIndexFor(const std::string& dataPath, const std::vector<BlockEntry>& entries, const IndexWriter* writer) {
  DataFileSource source;
  if (!openDataFileSource(dataPath, source)) return false;
  const bool saved = saveBlockIndex(dataPath, source, entries, writer);
  closeDataFileSource(source);
  return saved;
}
