#include <gtest/gtest.h>

#include "data_file_fixtures.h"
#include "files/dump_conversion.h"
#include "files/record_count.h"

namespace {

constexpr size_t kFullDumpBytes = 786434;

// A dump whose every byte differs from its neighbours, so a misplaced unit shows.
Bytes patternedDump(size_t size) {
  Bytes dump(size);
  uint32_t state = 12345;
  for (unsigned char& byte : dump) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<unsigned char>(state >> 16);
  }
  return dump;
}

// Unit u of the dump, counted after its leading unit.
uint16_t dumpUnit(const Bytes& dump, size_t u) { return static_cast<uint16_t>(dump[2 + 2 * u] | dump[3 + 2 * u] << 8); }

}  // namespace

TEST(DumpNames, BaseIsTheTextUpToItsFirstDot) {
  struct Case {
    const char* text;
    const char* dump;
    const char* data;
  };
  const Case cases[] = {
      {"RUN7.QEL", "RUN7.SUP", "RUN7.QEL"}, {"RUN7", "RUN7.SUP", "RUN7.QEL"},   {"A.B.QEL", "A.SUP", "A.QEL"},
      {"run7.qel", "run7.SUP", "run7.QEL"}, {"../data/x.qel", ".SUP", ".QEL"}, {"", ".SUP", ".QEL"},
  };
  for (const Case& c : cases) {
    std::string dump, data;
    dumpNamesFor(c.text, dump, data);
    EXPECT_EQ(dump, c.dump) << c.text;
    EXPECT_EQ(data, c.data) << c.text;
  }
}

TEST(ConvertDump, RecordWordsFromUnit65532BecomeFileOrderRecords) {
  TempFolder folder;
  const Bytes dump = patternedDump(kFullDumpBytes);
  writeBytes(folder.file("RUN7.SUP"), dump);
  ASSERT_EQ(convertDump(folder.file("RUN7.qel")), StatusCode::Success);
  const Bytes out = readBytes(folder.file("RUN7.QEL"));
  ASSERT_EQ(out.size(), 65536u);
  for (size_t r = 0; r < 4096; ++r) {
    const BusRecord record = busRecordFromBytes(&out[16 * r]);
    for (size_t k = 0; k < 8; ++k) {
      ASSERT_EQ(record.words[k], dumpUnit(dump, 65532 + 8 * r + k)) << "record " << r << " word " << k;
    }
  }
  uint64_t count = 0;
  EXPECT_EQ(countRecords(folder.file("RUN7.QEL"), count), StatusCode::Success);
  EXPECT_EQ(count, 4096u);
}

TEST(ConvertDump, OnlyBytes131066To196601InfluenceTheOutput) {
  TempFolder folder;
  const Bytes dump = patternedDump(kFullDumpBytes);
  writeBytes(folder.file("A.SUP"), dump);
  ASSERT_EQ(convertDumpFile(folder.file("A.SUP"), folder.file("A.QEL")), StatusCode::Success);
  const Bytes reference = readBytes(folder.file("A.QEL"));
  struct Case {
    size_t byte;
    bool changes;
  };
  const Case cases[] = {{0, false},      {1, false},      {2, false},      {131065, false}, {131066, true},
                        {131067, true},  {163840, true},  {196600, true},  {196601, true},  {196602, false},
                        {786433, false}};
  for (const Case& c : cases) {
    Bytes changed = dump;
    changed[c.byte] ^= 0xFF;
    writeBytes(folder.file("B.SUP"), changed);
    ASSERT_EQ(convertDumpFile(folder.file("B.SUP"), folder.file("B.QEL")), StatusCode::Success) << c.byte;
    EXPECT_EQ(readBytes(folder.file("B.QEL")) != reference, c.changes) << "byte " << c.byte;
  }
}

TEST(ConvertDump, ShortDumpFailsAndLeavesAnExistingOutputUntouched) {
  struct Case {
    size_t size;
    StatusCode status;
  };
  const Case cases[] = {{0, StatusCode::FileReadError},
                        {1, StatusCode::FileReadError},
                        {kFullDumpBytes - 2, StatusCode::FileReadError},
                        {kFullDumpBytes - 1, StatusCode::FileReadError},
                        {kFullDumpBytes, StatusCode::Success},
                        {kFullDumpBytes + 1000, StatusCode::Success}};
  TempFolder folder;
  for (const Case& c : cases) {
    writeBytes(folder.file("S.SUP"), patternedDump(c.size));
    writeBytes(folder.file("S.QEL"), {'o', 'l', 'd'});
    EXPECT_EQ(convertDumpFile(folder.file("S.SUP"), folder.file("S.QEL")), c.status) << c.size;
    EXPECT_EQ(readBytes(folder.file("S.QEL")).size(), c.status == StatusCode::Success ? 65536u : 3u) << c.size;
  }
}

TEST(ConvertDump, FilesThatCannotBeOpenedOrWritten) {
  TempFolder folder;
  EXPECT_EQ(convertDump(folder.file("NONE")), StatusCode::FileOpenError);
  EXPECT_FALSE(std::filesystem::exists(folder.file("NONE.QEL")));
  writeBytes(folder.file("W.SUP"), patternedDump(kFullDumpBytes));
  EXPECT_EQ(convertDumpFile(folder.file("W.SUP"), folder.file("no/such/folder/W.QEL")), StatusCode::FileOpenError);
  EXPECT_EQ(convertDumpFile(folder.file("W.SUP"), "/dev/full"), StatusCode::FileWriteError);
}
