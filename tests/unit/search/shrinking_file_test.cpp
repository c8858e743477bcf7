// A data file cut short between two blocks while a pass reads it: every kind of pass ends with
// FileReadError, never with a result of the part it read. The cut comes from the pass's own progress
// report after its first run, on one thread, so that the next read is the first to meet it.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "files/record_blocks.h"
#include "index/index_build.h"
#include "search/pattern_search.h"
#include "search/time_search.h"
#include "tests/unit/search/varied_records.h"

TEST(ShrinkingFile, EveryPassReportsTheCut) {
  TempFolder folder;
  const std::string path = folder.file("shrinking.qel");
  const ScanProgress cutOnce = [&](uint64_t, uint64_t) {
    if (std::filesystem::file_size(path) > 2 * kIndexBlockRecords * kBusRecordBytes) {
      std::filesystem::resize_file(path, (kIndexBlockRecords + 100) * kBusRecordBytes);
    }
  };
  ScanOptions options;
  options.progress = &cutOnce;
  options.useIndex = false;
  options.pass.threads = 1;
  options.pass.runBlocks = 1;
  SearchSettings count;
  setSearchDefaults(count);
  count.searchMode = 1;
  uint64_t line = 0;
  IndexRefresh refresh;
  const std::function<StatusCode()> passes[] = {
      [&] { return searchPattern(path, count, options); },
      [&] { return findTimeTag(path, 1e18, line, options); },
      [&] { return refreshDataFileIndex(path, refresh, options.pass, &cutOnce); },
      [&] {
        RecordBlockReader reader;
        const unsigned char* records = nullptr;
        EXPECT_TRUE(openRecordBlocks(reader, path, kIndexBlockRecords * kBusRecordBytes, &cutOnce));
        while (nextRecordBlock(reader, records) > 0) {
        }
        return closeRecordBlocks(reader);
      },
  };
  for (const auto& pass : passes) {
    writeDataFile(path, variedRecords(5, 3 * kIndexBlockRecords));
    EXPECT_EQ(pass(), StatusCode::FileReadError) << "pass " << &pass - passes;
  }
  EXPECT_EQ(count.searchResult, 0.0);
  EXPECT_EQ(line, 0u);
  EXPECT_FALSE(refresh.saved);
}
