// Recordings from the simulated card through the real dialog.
#include <gtest/gtest.h>

#include "app_driver.h"
#include "files/bus_record.h"
#include "res/resource_ids.h"

namespace {
class RecordingE2E : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(startApp(app, "varnotek-sim.exe", makeWorkDir("recording"))); }
  void TearDown() override { stopApp(app); }
  std::string path(const std::string& name) const { return app.workDir + "\\" + name; }

  // Whole records with non-decreasing time tags; returns the number of records.
  long long checkRecording(const std::string& file) {
    const std::string bytes = readText(file);
    EXPECT_EQ(bytes.size() % 16, 0u);
    uint64_t previous = 0;
    long long backwards = 0;
    for (size_t at = 0; at + 16 <= bytes.size(); at += 16) {
      const BusRecord record = busRecordFromBytes(reinterpret_cast<const unsigned char*>(bytes.data() + at));
      const uint64_t time = timeTagHalfMicrosExact(timeTagOf(record));
      backwards += time < previous;
      previous = time;
    }
    EXPECT_EQ(backwards, 0);
    return static_cast<long long>(bytes.size() / 16);
  }
  RunningApp app;
};
}  // namespace

// Two recordings: the first shows its progress, refuses the file tasks and a second Start, and once
// stopped serves the file tasks; the second is ended by Quit, whose final drain keeps what the card
// captured.
TEST_F(RecordingE2E, StartProgressStopThenQuitDuringTheNextRecording) {
  ASSERT_TRUE(writeBytes(path("run.qel"), Bytes(160, 'x')));  // emptied by Start Recording
  setText(app, IDC_FILE_NAME, "run.qel");
  clickButton(app, IDC_START_RECORDING);
  EXPECT_EQ(statusLine(app), "Success");
  ASSERT_TRUE(waitWhileStatus(app, "Success", 10000));
  const std::string first = statusLine(app);
  Sleep(1500);
  const std::string later = statusLine(app);
  ASSERT_EQ(first.rfind("RECORDING: ", 0), 0u) << first;
  ASSERT_EQ(later.rfind("RECORDING: ", 0), 0u) << later;
  const long long firstCount = std::atoll(first.c_str() + 11);
  const long long laterCount = std::atoll(later.c_str() + 11);
  EXPECT_GT(laterCount, firstCount) << first << " / " << later;

  // File tasks are refused while recording; a second Start does nothing.
  clickButton(app, IDC_GET_FILE_SIZE);
  clickButton(app, IDC_START_RECORDING);
  EXPECT_EQ(statusLine(app).rfind("RECORDING: ", 0), 0u) << statusLine(app);

  clickButton(app, IDC_STOP_RECORDING);
  EXPECT_EQ(statusLine(app), "Success");
  const long long records = checkRecording(path("run.qel"));
  EXPECT_GE(records, laterCount);

  setText(app, IDC_FILE_NAME, "run.qel");
  clickButton(app, IDC_GET_FILE_SIZE);
  ASSERT_TRUE(waitWhileStatus(app, "Processing task may take a while - PLEASE WAIT", 20000));
  EXPECT_EQ(statusLine(app), "Success");
  EXPECT_EQ(text(app, IDC_FILE_SIZE_TEXT), std::to_string(records));
  clickButton(app, IDC_GET_OCCURRENCES);
  ASSERT_TRUE(waitWhileStatus(app, "Processing task may take a while - PLEASE WAIT", 20000));
  EXPECT_EQ(text(app, IDC_OCCURRENCE_COUNT), std::to_string(records));

  setText(app, IDC_FILE_NAME, "quit.qel");
  clickButton(app, IDC_START_RECORDING);
  ASSERT_EQ(statusLine(app), "Success");
  Sleep(2500);
  clickButton(app, IDC_QUIT);
  EXPECT_EQ(waitForExit(app, 20000), 0);
  const long long kept = checkRecording(path("quit.qel"));
  // About 20,000 words a second: more than the halves drained so far were captured and kept.
  EXPECT_GT(kept, 16384 * 2);
  EXPECT_NE(kept % 16384, 0) << "the final drain appended the part of the current half";
}
