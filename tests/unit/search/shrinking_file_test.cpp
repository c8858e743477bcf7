// A data file cut short between two blocks while a pass reads it: every kind of pass ends with
// FileReadError, never with a result of the part it read. The cut comes from the pass's own progress
// report after its first run, on one thread, so that the next read is the first to find it.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "files/record_blocks.h"
#include "index/index_build.h"
#include "search/pattern_search.h"
#include "search/time_search.h"
#include "tests/unit/search/varied_records.h"

TEST(ShrinkingFile, EveryPassReportsTheCut) {
  TempFolder folder;
  const std::string path = folder.file("shrinking.qel");
  const Bytes whole = dataFileBytes(variedRecords(5, 3 * kIndexBlockRecords));
  bool cut = false;
  const ScanProgress cutAfterFirstRun = [&](uint64_t, uint64_t) {
    if (!cut) std::filesystem::resize_file(path, kIndexBlockRecords * kBusRecordBytes + 100 * kBusRecordBytes);
    cut = true;
  };
  ScanOptions options;
  options.progress = &cutAfterFirstRun;
  options.useIndex = false;
  options.pass.threads = 1;
  options.pass.runBlocks = 1;
  const struct {
    const char* what;
    std::function<StatusCode()> pass;
  } passes[] = {
      {"count", [&] {
         SearchSettings s;
         setSearchDefaults(s);
         s.searchMode = 1;
         return searchPattern(path, s, options);
       }},
      {"time", [&] {
         uint64_t line = 0;
         return findTimeTag(path, 1e18, line, options);
       }},
      {"index", [&] {
         IndexRefresh refresh;
         const StatusCode status = refreshDataFileIndex(path, refresh, options.pass, &cutAfterFirstRun);
         EXPECT_FALSE(refresh.saved);
         return status;
       }},
      {"record blocks", [&] {
         RecordBlockReader reader;
         EXPECT_TRUE(openRecordBlocks(reader, path, kIndexBlockRecords * kBusRecordBytes, &cutAfterFirstRun));
         const unsigned char* records = nullptr;
         while (nextRecordBlock(reader, records) > 0) {
         }
         return closeRecordBlocks(reader);
       }},
  };
  for (const auto& p : passes) {
    writeBytes(path, whole);
    cut = false;
    EXPECT_EQ(p.pass(), StatusCode::FileReadError) << p.what;
    EXPECT_TRUE(cut) << p.what;
    EXPECT_FALSE(std::filesystem::exists(indexPathFor(path))) << p.what;
  }
}
