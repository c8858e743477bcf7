#include <gtest/gtest.h>

#include "data_file_fixtures.h"
#include "files/record_count.h"

TEST(CountRecords, WholeRecordsWhateverFollows) {
  struct Case {
    size_t bytes;
    uint64_t records;
  };
  const Case cases[] = {{0, 0}, {1, 0}, {15, 0}, {16, 1}, {48, 3}, {49, 3}, {50, 3}, {63, 3}, {64, 4}, {65536, 4096}};
  TempFolder folder;
  for (const Case& c : cases) {
    writeBytes(folder.file("c.qel"), Bytes(c.bytes, 0xA5));
    uint64_t count = 12345;
    EXPECT_EQ(countRecords(folder.file("c.qel"), count), StatusCode::Success) << c.bytes;
    EXPECT_EQ(count, c.records) << c.bytes << " bytes";
  }
}

TEST(CountRecords, MissingFileOrAFolderLeavesTheCountAlone) {
  TempFolder folder;
  uint64_t count = 77;
  EXPECT_EQ(countRecords(folder.file("absent.qel"), count), StatusCode::FileOpenError);
  EXPECT_EQ(countRecords(folder.path, count), StatusCode::FileOpenError);
  EXPECT_EQ(count, 77u);
}
