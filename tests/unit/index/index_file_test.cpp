// The saved index: its round trip, every check that keeps a reader from believing an index that
// is not the data file's (a grown file among them), --verify and --rebuild, and the files an index
// never replaces. (The index written along a recording is checked by the recording session test.)
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "index/index_build.h"
#include "index/index_file.h"
#include "tests/unit/search/varied_records.h"

namespace {

// Sets a file's modification time to that of another (or moves it on by a second).
void setModified(const std::string& path, const std::string& like, bool later = false) {
  struct stat info;
  ASSERT_EQ(stat(like.c_str(), &info), 0);
  struct timespec times[2] = {info.st_atim, info.st_mtim};
  if (later) times[1].tv_sec += 1;
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

void putLittle(Bytes& bytes, size_t at, uint64_t value, unsigned width) {
  for (unsigned i = 0; i < width; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

void reseal(Bytes& bytes) { putLittle(bytes, 56, indexFileChecksum(bytes.data(), bytes.size()), 8); }

UsableIndex load(const std::string& dataPath) {
  DataFileSource source;
  EXPECT_TRUE(openDataFileSource(dataPath, source));
  UsableIndex usable = loadUsableIndex(dataPath, source);
  closeDataFileSource(source);
  return usable;
}

}  // namespace

TEST(IndexFile, NamesBesideTheDataFile) {
  EXPECT_EQ(indexPathFor("RUN7.QEL"), "RUN7.QIX");
  EXPECT_EQ(indexPathFor("dir.x/run.qel"), "dir.x/run.qix");
  EXPECT_EQ(indexPathFor("Run.Qel"), "Run.qix");
  EXPECT_EQ(indexPathFor("run.bin"), "run.bin.qix");
  EXPECT_EQ(indexPathFor("dir.x\\run"), "dir.x\\run.qix");
}

TEST(IndexFile, RoundTripAndEveryCheckAgainstTheDataFile) {
  TempFolder folder;
  const std::string path = folder.file("indexed.qel");
  const std::string index = indexPathFor(path);
  const std::vector<BusRecord> records = variedRecords(7, 2 * kIndexBlockRecords + 5000);
  writeDataFile(path, records, 3);

  // How a refresh reports making, finding up to date and extending is the index tool test's.
  IndexRefresh made;
  ASSERT_EQ(refreshDataFileIndex(path, made), StatusCode::Success);
  ASSERT_EQ(made.entries.size(), 3u);
  EXPECT_EQ(made.entries[2].records, 5000u);
  const Bytes good = readBytes(index);
  ASSERT_EQ(good.size(), kIndexHeaderBytes + 3 * kIndexEntryBytes);
  BlockIndex decoded;
  ASSERT_TRUE(decodeBlockIndex(good.data(), good.size(), decoded));
  EXPECT_EQ(encodeBlockIndex(decoded), good);
  EXPECT_EQ(decoded.coveredRecords, records.size());
  EXPECT_TRUE(load(path).coversFile);

  // Each case spoils the index or the data file; the index must then not be believed, and a
  // refresh makes it again from the whole file.
  const Bytes data = readBytes(path);
  Bytes current;  // the index as made for the data file as it is at the start of each case
  auto rewrite = [&](const std::function<void(Bytes&)>& change) {
    Bytes b = current;
    change(b);
    writeBytes(index, b);
  };
  // Changes one bit of the data file, keeping its size and time of modification.
  auto changeInPlace = [&](size_t at) {
    Bytes changed = readBytes(path);
    changed[at] ^= 1;
    const std::string copy = path + ".copy";
    writeBytes(copy, changed);
    setModified(copy, path);
    std::rename(copy.c_str(), path.c_str());
  };
  struct Case {
    const char* what;
    std::function<void()> spoil;
  };
  const Case cases[] = {
      {"data file modified later", [&] { setModified(path, path, true); }},
      {"a bit of an entry", [&] { rewrite([](Bytes& b) { b[kIndexHeaderBytes + kIndexEntryBytes + 40] ^= 4; }); }},
      {"a whole entry cut off",
       [&] { rewrite([](Bytes& b) { b.resize(b.size() - kIndexEntryBytes), putLittle(b, 48, 2, 8), reseal(b); }); }},
      {"another version", [&] { rewrite([](Bytes& b) { putLittle(b, 8, 2, 4), reseal(b); }); }},
      {"fewer records covered",
       [&] { rewrite([&](Bytes& b) { putLittle(b, 24, records.size() - 1, 8), reseal(b); }); }},
      {"an edge record changed, resealed",
       [&] { rewrite([](Bytes& b) { b[kIndexHeaderBytes + kIndexEntryBytes + 12] ^= 0x10, reseal(b); }); }},
      {"the data file cut short", [&] { writeBytes(path, Bytes(data.begin(), data.end() - 19)); }},
      {"the data file grown",
       [&] { Bytes g = data; g.insert(g.end(), data.begin(), data.end()), writeBytes(path, g); }},
      // The bus word of block 1's last record (one the index samples), then of record 6 (in the head
      // the index's fingerprint covers, and not sampled).
      {"a sampled record changed, size and time kept", [&] { changeInPlace((2 * kIndexBlockRecords - 1) * 16 + 9); }},
      {"a record of the head changed, size and time kept", [&] { changeInPlace(5 * 16 + 9); }},
  };
  for (const Case& c : cases) {
    writeBytes(path, data);
    IndexRefresh fresh;
    ASSERT_EQ(refreshDataFileIndex(path, fresh), StatusCode::Success);
    ASSERT_TRUE(load(path).coversFile) << c.what;
    current = readBytes(index);
    c.spoil();
    const UsableIndex spoiled = load(path);
    EXPECT_TRUE(spoiled.found) << c.what;
    EXPECT_TRUE(spoiled.entries.empty()) << c.what;
    IndexRefresh remade;
    ASSERT_EQ(refreshDataFileIndex(path, remade), StatusCode::Success) << c.what;
    EXPECT_EQ(remade.kind, IndexRefreshKind::Made) << c.what;
    EXPECT_TRUE(remade.replaced) << c.what;
    EXPECT_TRUE(load(path).coversFile) << c.what;
  }

  // The one change no stamp shows (same size, time put back, no sampled record) is believed; --verify names its block.
  writeBytes(path, data);
  ASSERT_EQ(refreshDataFileIndex(path, made), StatusCode::Success);
  changeInPlace((kIndexBlockRecords + 77) * 16 + 11);
  EXPECT_TRUE(load(path).coversFile);
  IndexVerification check;
  ASSERT_EQ(verifyDataFileIndex(path, check), StatusCode::Success);
  EXPECT_EQ(check.firstDifferent, 1u);
  ASSERT_EQ(rebuildDataFileIndex(path, made), StatusCode::Success);  // then all agree: the index tool test

  // An index is written only where no file is or over an index; any other file stays as it is, and
  // none is opened in a way that waits (as a plain open of a pipe does).
  const std::function<void()> others[] = {[&] { writeBytes(index, Bytes(640, 0x42)); },
                                          [&] { ASSERT_EQ(mkfifo(index.c_str(), 0600), 0); },
                                          [&] { std::filesystem::create_directory(index); }};
  for (const auto& make : others) {
    std::filesystem::remove(index);
    make();
    const Bytes before = std::filesystem::is_regular_file(index) ? readBytes(index) : Bytes();
    ASSERT_EQ(refreshDataFileIndex(path, made), StatusCode::Success);
    EXPECT_FALSE(made.saved || load(path).coversFile) << &make - others;
    EXPECT_TRUE(!std::filesystem::is_regular_file(index) || readBytes(index) == before) << &make - others;
  }
  EXPECT_EQ(refreshDataFileIndex("/dev/null", made), StatusCode::IncorrectFileType);  // no index beside a device
}
