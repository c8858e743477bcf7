// qeltool record: a real-time recording from the simulated card, checked against its own
// progress lines, count, stats and the traffic generator.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tool_fixtures.h"

namespace {

const std::string kProgressStart = "RECORDING: ";
const std::string kProgressEnd = " Bus words received";

// The numbers of the progress lines on standard error, in order.
std::vector<long long> progressNumbers(const std::string& err) {
  std::vector<long long> numbers;
  for (const std::string& line : splitLines(err)) {
    if (line.compare(0, kProgressStart.size(), kProgressStart) != 0) continue;
    EXPECT_EQ(line.substr(line.size() - kProgressEnd.size()), kProgressEnd) << line;
    numbers.push_back(std::atoll(line.c_str() + kProgressStart.size()));
  }
  return numbers;
}

long long jsonNumber(const std::string& json, const std::string& key) {
  const size_t at = json.find("\"" + key + "\": ");
  if (at == std::string::npos) return -1;
  return std::atoll(json.c_str() + at + key.size() + 4);
}

// Longword 2 of every record (bus word, error flags, sync, channel): what the bus carried,
// without the time tags, which depend on the moment the recording started.
Bytes busWordsOf(const Bytes& file) {
  Bytes words;
  for (size_t at = 0; at + kBusRecordBytes <= file.size(); at += kBusRecordBytes) {
    words.insert(words.end(), file.begin() + at + 8, file.begin() + at + 12);
  }
  return words;
}

// What a finished recording must show: progress that never goes back and ends at the number of
// records, which count and stats confirm, with no record lost, doubled or out of time order.
void expectConsistentRecording(const TempFolder& folder, const std::string& file, const ToolRun& run,
                               const std::string& rate) {
  const std::vector<long long> progress = progressNumbers(run.err);
  ASSERT_GE(progress.size(), 2u) << run.err;
  for (size_t i = 1; i < progress.size(); ++i) EXPECT_LE(progress[i - 1], progress[i]) << i;
  const long long records = progress.back();
  EXPECT_GT(records, 0);
  EXPECT_EQ(run.out, std::to_string(records) + "\n");
  EXPECT_EQ(runQeltool("count " + shellQuoted(file)).out, std::to_string(records) + "\n");
  const ToolRun stats = runQeltool("stats --json " + shellQuoted(file));
  EXPECT_EQ(jsonNumber(stats.out, "records"), records);
  EXPECT_EQ(jsonNumber(stats.out, "trailing_bytes"), 0);
  EXPECT_EQ(jsonNumber(stats.out, "backward_steps"), 0);

  // The simulated card restarts its traffic at start capture: the file holds exactly the first
  // words of the generator with the same seed and rate.
  const std::string generated = folder.file("generated.qel");
  ASSERT_EQ(
      runQeltool("generate " + shellQuoted(generated) + " --records " + std::to_string(records) + " --rate " + rate)
          .exitCode,
      0);
  EXPECT_TRUE(busWordsOf(readBytes(file)) == busWordsOf(readBytes(generated)));
}

}  // namespace

TEST(RecordTool, SecondsOfTrafficAgreeWithProgressCountAndStats) {
  TempFolder folder;
  const std::string file = folder.file("run.qel");
  writeBytes(file, Bytes(100, 0xEE));  // an old file of that name is emptied first
  const ToolRun run = runQeltool("record " + shellQuoted(file) + " --seconds 3");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.err.find("Recording stopped\n"), std::string::npos) << run.err;
  expectConsistentRecording(folder, file, run, "20000");
}

TEST(RecordTool, CtrlCStopsAsStopRecording) {
  TempFolder folder;
  const std::string file = folder.file("interrupted.qel");
  const ToolRun run = runQeltool("record " + shellQuoted(file) + " --seconds 600 --rate 50000", "",
                                 "timeout --preserve-status -s INT 2 ");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.err.find("Recording stopped\n"), std::string::npos) << run.err;
  expectConsistentRecording(folder, file, run, "50000");
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
