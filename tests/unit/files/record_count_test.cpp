#include <gtest/gtest.h>

#include <utility>

#include "data_file_fixtures.h"
#include "files/record_count.h"

TEST(CountRecords, WholeRecordsWhateverFollowsAndStatus5LeavesTheCount) {
  TempFolder folder;
  const std::pair<size_t, uint64_t> cases[] = {{0, 0}, {15, 0}, {16, 1}, {49, 3}, {63, 3}, {64, 4}, {65536, 4096}};
  for (const auto& c : cases) {
    writeBytes(folder.file("c.qel"), Bytes(c.first, 0xA5));
    uint64_t count = 12345;
    EXPECT_EQ(countRecords(folder.file("c.qel"), count), StatusCode::Success) << c.first;
    EXPECT_EQ(count, c.second) << c.first << " bytes";
  }
  uint64_t count = 77;
  EXPECT_EQ(countRecords(folder.file("absent.qel"), count), StatusCode::FileOpenError);
  EXPECT_EQ(countRecords(folder.path, count), StatusCode::FileOpenError);  // a folder
  EXPECT_EQ(count, 77u);
}
