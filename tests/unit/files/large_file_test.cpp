#include <gtest/gtest.h>

#include "data_file_fixtures.h"
#include "files/data_file.h"
#include "files/record_count.h"
#include "files/report.h"

// A sparse data file of 2^28 + 3 records (just over 4 GiB): positions beyond 32 bits must count
// and seek exactly.
TEST(LargeDataFile, CountAndReportBeyondFourGibibytes) {
  TempFolder folder;
  const std::string path = folder.file("big.qel"), report = folder.file("QEL.TMP");
  const int64_t fourGiB = int64_t{1} << 32, firstBeyond = fourGiB / 16 + 1;  // the record at 4 GiB
  FILE* file = openDataFile(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  ASSERT_TRUE(seekDataFile(file, fourGiB, SEEK_SET));
  const Bytes tail = bytesOf({makeRecord(exampleTag(100), 0, 0, 0, 1), makeRecord(exampleTag(300), 1, 0, 0, 2),
                              makeRecord(exampleTag(500), 2, 0, 0, 3)});
  ASSERT_EQ(std::fwrite(tail.data(), 1, tail.size(), file), tail.size());
  ASSERT_EQ(std::fclose(file), 0);

  uint64_t count = 0;
  ASSERT_EQ(countRecords(path, count), StatusCode::Success);
  EXPECT_EQ(count, uint64_t{1} << 28 | 3);
  ASSERT_EQ(writeReport(path, report, StackFormat::Mdm, firstBeyond + 1, 5), StatusCode::Success);
  const std::string text = readText(report);
  EXPECT_NE(text.find("\n+268435458\t123:04:05:06.0071500\t        \t\tJ2\tDATA\t"), std::string::npos) << text;
  EXPECT_NE(text.find("\n+268435459\t123:04:05:06.0072500\t72.0          \tJ3\tDATA\t"), std::string::npos) << text;
  EXPECT_EQ(text.substr(text.size() - 13), "\nEND OF DATA\n");
  EXPECT_EQ(writeReport(path, report, StackFormat::Mdm, firstBeyond + 3, 5), StatusCode::Success);
  EXPECT_EQ(readText(report).substr(readText(report).size() - 13), "\nEND OF DATA\n");
  EXPECT_EQ(writeReport(path, report, StackFormat::Mdm, firstBeyond + 4, 5), StatusCode::BusWordMissing);
  EXPECT_EQ(readText(report), "");
}
