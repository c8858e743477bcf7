// qeltool record: a real-time recording from the simulated card, checked against its own
// progress lines, count, stats and the traffic generator.
#include <gtest/gtest.h>

#include "tool_fixtures.h"

namespace {

// Longword 2 of every record: what the bus carried, without the time tags, which depend on the
// moment the recording started.
Bytes busWordsOf(const Bytes& file) {
  Bytes words;
  for (size_t at = 0; at + kBusRecordBytes <= file.size(); at += kBusRecordBytes) {
    words.insert(words.end(), file.begin() + at + 8, file.begin() + at + 12);
  }
  return words;
}

}  // namespace

// Progress ends at the number of records, which count and stats confirm, and never shows more;
// the file holds exactly the first words of the generator with the same rate. (The live count
// between two stored halves reads the write pointer in two register reads while the card runs on,
// so one refresh can show a little less than the one before: no test of order here.)
TEST(RecordTool, StoppedByTimeOrCtrlCAgreesWithProgressCountStatsAndGenerator) {
  const char* cases[][3] = {{"", "--seconds 3", "20000"},  // prefix, arguments, rate
                            {"timeout --preserve-status -s INT 2 ", "--seconds 600 --rate 50000", "50000"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c[1]);
    TempFolder folder;
    writeBytes(folder.file("run.qel"), Bytes(100, 0xEE));  // an old file of that name is emptied first
    const ToolRun run = runQeltool(std::string("record run.qel --force ") + c[1], folder.path, c[0]);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("Recording stopped\n"), std::string::npos) << run.err;
    std::vector<long long> progress;
    for (const std::string& line : splitLines(run.err)) {
      if (line.rfind("RECORDING: ", 0) != 0) continue;
      EXPECT_NE(line.find(" Bus words received", line.size() - 19), std::string::npos) << line;
      progress.push_back(std::atoll(line.c_str() + 11));
    }
    ASSERT_GE(progress.size(), 2u) << run.err;
    const std::string records = std::to_string(progress.back());
    EXPECT_GT(progress.back(), 0);
    for (long long shown : progress) EXPECT_LE(shown, progress.back());
    EXPECT_EQ(run.out, records + "\n");
    EXPECT_EQ(runQeltool("count run.qel", folder.path).out, records + "\n");
    const std::string stats = runQeltool("stats --json run.qel", folder.path).out;
    EXPECT_EQ(std::to_string(jsonNumber(stats, "records")), records);
    EXPECT_EQ(jsonNumber(stats, "trailing_bytes"), 0);
    EXPECT_EQ(jsonNumber(stats, "backward_steps"), 0);
    ASSERT_EQ(runQeltool("generate gen.qel --records " + records + " --rate " + c[2], folder.path).exitCode, 0);
    EXPECT_TRUE(busWordsOf(readBytes(folder.file("run.qel"))) == busWordsOf(readBytes(folder.file("gen.qel"))));
  }
}

TEST(RecordTool, MaximumSizeEndsTheRecordingAtAWholeHalf) {
  TempFolder folder;
  const std::string file = folder.file("limited.qel");
  // 0.0005 GB is 33554.4 words: the recording ends at the third half of 16384.
  const ToolRun run = runQeltool("record " + shellQuoted(file) + " --seconds 60 --rate 100000 --max-size 0.0005");
  EXPECT_EQ(run.exitCode, 3) << run.err;
  EXPECT_NE(run.err.find("ERROR: Maximum file size exceeded"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("Recording stopped"), std::string::npos) << run.err;
  EXPECT_EQ(readBytes(file).size(), 3u * 16384u * kBusRecordBytes);
  EXPECT_EQ(run.out, "49152\n");
}

// The process held up for longer than the card takes to go round its ring (164 ms at 200,000 words
// a second): the recording goes on, the loss is reported when found and counted at the end, and
// the run fails with 3, the file kept and counted.
TEST(RecordTool, WordsLostToAStalledProcessAreReportedAndFailTheRun) {
  TempFolder folder;
  const std::string stallAfterOneSecond =
      "sh -c '\"$0\" \"$@\" & p=$!; sleep 1; kill -STOP $p; sleep 0.6; kill -CONT $p; wait $p' ";
  const ToolRun run = runQeltool("record run.qel --seconds 3 --rate 200000", folder.path, stallAfterOneSecond);
  EXPECT_EQ(run.exitCode, 3) << run.err;
  EXPECT_NE(run.err.find("\nWARNING: Bus words lost - PC too slow\n"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("qeltool record: WARNING: Bus words lost - PC too slow: "), std::string::npos) << run.err;
  EXPECT_EQ(run.out, runQeltool("count run.qel", folder.path).out);
  EXPECT_EQ(jsonNumber(runQeltool("stats --json run.qel", folder.path).out, "trailing_bytes"), 0);
}
