// qeltool index, --no-index and stats from the saved index: what each does to the index beside the
// data file, and the same results with the index as without it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "tool_fixtures.h"

namespace {

constexpr size_t kBlock = 16384;

// Records 100 us apart on J1 to J4 in turn, every seventh a command word, every 1000th with errors;
// the largest step (5 ms) where block 1 begins, the same step again later in block 1, and time going
// back where block 2 begins and within block 0.
std::vector<BusRecord> blockEdgeRecords(size_t count) {
  std::vector<BusRecord> records;
  uint64_t micros = 86400ull * 1000000 * 42;
  for (size_t i = 0; i < count; ++i) {
    micros += i == kBlock || i == kBlock + 500 ? 5000 : i == 2 * kBlock || i == 300 ? -2000 : 100;
    records.push_back(recordAtMicros(micros, static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFF,
                                     static_cast<unsigned>(i % 4), i % 7 == 0 ? 1u : 0u, i % 1000 == 3 ? 9u : 0u));
  }
  return records;
}

}  // namespace

TEST(IndexTool, MadeUpToDateRemadeAndVerified) {
  TempFolder folder;
  const std::string file = folder.file("run.qel"), index = folder.file("run.qix");
  const std::vector<BusRecord> records = blockEdgeRecords(3 * kBlock + 4000);
  writeDataFile(file, std::vector<BusRecord>(records.begin(), records.begin() + 2 * kBlock + 100));
  struct Step {
    std::function<void()> before;
    const char* says;
  };
  const Step steps[] = {
      {[] {}, "run.qix: made from the whole file, 3 blocks\n"},
      {[] {}, "run.qix: up to date, 3 blocks\n"},
      {[&] { writeDataFile(file, records); },
       "run.qix: remade from the whole file, 4 blocks (the index there did not belong to the file as it is)\n"},
  };
  for (const Step& step : steps) {
    step.before();
    const ToolRun run = runQeltool("index run.qel", folder.path);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n') + 1), step.says);
  }
  EXPECT_EQ(
      runQeltool("index --json run.qel", folder.path).out,
      "{\"file\":\"run.qel\",\"index\":\"run.qix\",\"done\":\"up to date\",\"blocks\":4,\"blocks_read\":0,"
      "\"index_bytes\":520,\"data_bytes\":" +
          std::to_string(records.size() * kBusRecordBytes) + "}\n");
  // stats from the index's summaries as from reading every record, steps across block edges included.
  const std::string stats = runQeltool("stats run.qel", folder.path).out;
  EXPECT_EQ(stats, runQeltool("stats --no-index run.qel", folder.path).out);
  EXPECT_EQ(stats + "\n" + stats, runQeltool("stats run.qel run.qel", folder.path).out);
  EXPECT_NE(stats.find("largest gap (us)    4972.0 before line 16385\n"), std::string::npos) << stats;
  EXPECT_NE(stats.find("time going back     2 (first before line 301)\n"), std::string::npos) << stats;

  // --no-index neither uses nor leaves an index; a search that reads to the end leaves one.
  std::remove(index.c_str());
  EXPECT_EQ(runQeltool("search --count --no-index run.qel", folder.path).exitCode, 0);
  EXPECT_EQ(namesInFolder(folder.path), std::vector<std::string>{"run.qel"});
  EXPECT_EQ(runQeltool("search --count run.qel", folder.path).exitCode, 0);
  EXPECT_EQ(namesInFolder(folder.path), (std::vector<std::string>{"run.qel", "run.qix"}));

  // An index name that leads to the data file: refused, and no search writes through it.
  const Bytes data = readBytes(file);
  std::remove(index.c_str());
  ASSERT_EQ(symlink("run.qel", index.c_str()), 0);
  EXPECT_EQ(runQeltool("index run.qel", folder.path).exitCode, 2);
  EXPECT_EQ(runQeltool("search --count run.qel", folder.path).out, std::to_string(records.size()) + "\n");
  EXPECT_TRUE(readBytes(file) == data);

  // --verify: exit 1 with no index to compare, 0 once --rebuild has made it anew.
  std::remove(index.c_str());
  EXPECT_EQ(runQeltool("index --verify run.qel", folder.path).exitCode, 1);
  EXPECT_EQ(runQeltool("index --rebuild run.qel", folder.path).exitCode, 0);
  EXPECT_EQ(runQeltool("index --verify run.qel", folder.path).out, "run.qix: all 4 blocks agree with the data file\n");
}
