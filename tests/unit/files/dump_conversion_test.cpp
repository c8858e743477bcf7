#include <gtest/gtest.h>

#include <filesystem>

#include "files/bus_record.h"
#include "files/dump_conversion.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr size_t kFullDumpBytes = 786434;

// A dump whose every byte differs from its neighbours, so a misplaced unit shows.
Bytes patternedDump(size_t size) {
  Bytes dump(size);
  uint32_t state = 12345;
  for (unsigned char& byte : dump) byte = static_cast<unsigned char>((state = state * 1103515245u + 12345u) >> 16);
  return dump;
}

}  // namespace

// Units 65532 on after the leading unit, in record-word order, become 4096 records in file order
// and the whole output (so no byte outside 131066 to 196601 matters).
TEST(ConvertDump, RecordsFromUnit65532AndNothingElse) {
  TempFolder folder;
  const Bytes dump = patternedDump(kFullDumpBytes);
  writeBytes(folder.file("RUN7.SUP"), dump);
  ASSERT_EQ(convertDumpFile(folder.file("RUN7.SUP"), folder.file("RUN7.QEL")), StatusCode::Success);
  const Bytes out = readBytes(folder.file("RUN7.QEL"));
  ASSERT_EQ(out.size(), 65536u);
  for (size_t r = 0; r < 4096; ++r) {
    const BusRecord record = busRecordFromBytes(&out[16 * r]);
    for (size_t k = 0; k < 8; ++k) {
      const size_t at = 2 + 2 * (65532 + 8 * r + k);
      ASSERT_EQ(record.words[k], dump[at] | dump[at + 1] << 8) << "record " << r << " word " << k;
    }
  }
}

// A short or missing dump, or an output that cannot be written: the status, and an existing output
// left as it was. The dump is only read.
TEST(ConvertDump, FailuresLeaveAnExistingOutputUntouched) {
  TempFolder folder;
  for (size_t size : {size_t{0}, kFullDumpBytes - 2, kFullDumpBytes - 1, kFullDumpBytes, kFullDumpBytes + 1000}) {
    const bool full = size >= kFullDumpBytes;
    writeBytes(folder.file("S.SUP"), patternedDump(size));
    writeBytes(folder.file("S.QEL"), {'o', 'l', 'd'});
    EXPECT_EQ(convertDumpFile(folder.file("S.SUP"), folder.file("S.QEL")),
              full ? StatusCode::Success : StatusCode::FileReadError) << size;
    EXPECT_EQ(readBytes(folder.file("S.QEL")).size(), full ? 65536u : 3u) << size;
    EXPECT_TRUE(readBytes(folder.file("S.SUP")) == patternedDump(size)) << size;
  }
  EXPECT_EQ(convertDumpFile(folder.file("NONE.SUP"), folder.file("S.QEL")), StatusCode::FileOpenError);
  EXPECT_EQ(readBytes(folder.file("S.QEL")).size(), 65536u);
  EXPECT_EQ(convertDumpFile(folder.file("S.SUP"), "/dev/full"), StatusCode::FileWriteError);
}
