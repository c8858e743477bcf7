// The recorder as an operator meets it: the dialog, its status line and clock, the clicks that
// must not end it, recordings from the simulated card, and Quit with the settings it keeps.
#include <gtest/gtest.h>

#include "app_driver.h"
#include "files/bus_record.h"
#include "res/resource_ids.h"

namespace {
class ShellE2E : public ::testing::Test {
 protected:
  void TearDown() override { stopApp(app); }
  std::string path(const std::string& name) const { return app.workDir + "\\" + name; }

  // Whole records with non-decreasing time tags; returns the number of records.
  long long checkRecording(const std::string& name) {
    const std::string bytes = readText(path(name));
    EXPECT_EQ(bytes.size() % 16, 0u) << name;
    uint64_t previous = 0;
    long long backwards = 0;
    for (size_t at = 0; at + 16 <= bytes.size(); at += 16) {
      const BusRecord record = busRecordFromBytes(reinterpret_cast<const unsigned char*>(bytes.data() + at));
      const uint64_t time = timeTagHalfMicrosExact(timeTagOf(record));
      backwards += time < previous;
      previous = time;
    }
    EXPECT_EQ(backwards, 0) << name;
    return static_cast<long long>(bytes.size() / 16);
  }
  RunningApp app;
};
}  // namespace

// Started with a command line, which has no effect. The card is found and its time runs; Escape,
// Enter and the close requests leave the dialog open. A recording shows its progress, refuses the
// file tasks and a second Start, and once stopped serves the file tasks. Quit during the next
// recording ends with 0, its final drain keeps what the card captured, and the settings changed
// are saved: the next start shows them again.
TEST_F(ShellE2E, SimulatedBuildRecordsOnlyQuitEndsItAndTheSettingsSurvive) {
  ASSERT_TRUE(startApp(app, "varnotek-sim.exe", makeWorkDir("shell"), "--record now.qel /x"));
  EXPECT_TRUE(isChecked(app, IDC_FORMAT_BINARY));
  EXPECT_EQ(text(app, IDC_MAX_SIZE_TEXT), "5 GBytes");

  EXPECT_EQ(statusLine(app), "Found KOLVA card");
  Sleep(1200);
  const std::string time = text(app, IDC_TIME_TEXT);
  ASSERT_TRUE(waitForTextChange(app, IDC_TIME_TEXT, time, 5000)) << time;
  EXPECT_EQ(text(app, IDC_TIME_TEXT).size(), 12u);
  EXPECT_TRUE(isVisible(app, IDC_GREEN_LIGHT));
  EXPECT_FALSE(isVisible(app, IDC_YELLOW_LIGHT));

  sendCommand(app, IDCANCEL);
  sendCommand(app, IDOK);
  SendMessageA(app.dialog, WM_CLOSE, 0, 0);
  PostMessageA(app.dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  PostMessageA(app.dialog, WM_KEYDOWN, VK_ESCAPE, 0);
  Sleep(500);
  EXPECT_EQ(waitForExit(app, 0), -1) << "still running";
  EXPECT_TRUE(IsWindow(app.dialog));

  ASSERT_TRUE(writeBytes(path("run.qel"), Bytes(160, 'x')));  // emptied by Start Recording
  setText(app, IDC_FILE_NAME, "run.qel");
  clickButton(app, IDC_START_RECORDING);
  EXPECT_EQ(statusLine(app), "Success");
  ASSERT_TRUE(waitWhileStatus(app, "Success", 10000));
  const std::string first = statusLine(app);
  Sleep(1500);
  clickButton(app, IDC_GET_FILE_SIZE);  // refused, as is a second Start
  clickButton(app, IDC_START_RECORDING);
  const std::string later = statusLine(app);
  ASSERT_EQ(first.rfind("RECORDING: ", 0), 0u) << first;
  ASSERT_EQ(later.rfind("RECORDING: ", 0), 0u) << later;
  const long long laterCount = std::atoll(later.c_str() + 11);
  EXPECT_GT(laterCount, std::atoll(first.c_str() + 11)) << first << " / " << later;
  clickButton(app, IDC_STOP_RECORDING);
  EXPECT_EQ(statusLine(app), "Success");
  const long long records = checkRecording("run.qel");
  EXPECT_GE(records, laterCount);
  setText(app, IDC_FILE_NAME, "run.qel");
  clickButton(app, IDC_GET_FILE_SIZE);
  ASSERT_TRUE(waitWhileStatus(app, "Processing task may take a while - PLEASE WAIT", 20000));
  EXPECT_EQ(text(app, IDC_FILE_SIZE_TEXT), std::to_string(records));

  sendCommand(app, IDC_BIT_DCARE_FIRST + 23);  // bit 23 -> ZERO
  sendCommand(app, IDC_BIT_ZERO_FIRST + 23);   // -> ONE
  sendCommand(app, IDC_GAP_BEFORE);            // -> AFTER
  sendCommand(app, IDC_GAP_MIN_ENABLED);
  setText(app, IDC_GAP_MIN, "22");
  sendCommand(app, IDC_BUS_FIRST);  // J1
  clickButton(app, IDC_IRIG_INPUT);
  clickButton(app, IDC_MAX_FILE_SIZE);
  setText(app, IDC_OCCURRENCE, "4");
  setText(app, IDC_FILE_NAME, "quit.qel");
  clickButton(app, IDC_START_RECORDING);
  ASSERT_EQ(statusLine(app), "Success");
  Sleep(2500);
  clickButton(app, IDC_QUIT);
  ASSERT_EQ(waitForExit(app, 20000), 0);
  const long long kept = checkRecording("quit.qel");
  // About 20,000 words a second: more than the halves drained so far were captured and kept.
  EXPECT_GT(kept, 16384 * 2);
  EXPECT_NE(kept % 16384, 0) << "the final drain appended the part of the current half";
  EXPECT_EQ(fileSizeOf(path("QEL.SUP")), 65);
  EXPECT_EQ(fileSizeOf(path("now.qel")), -1);
  stopApp(app);

  ASSERT_TRUE(startApp(app, "varnotek-sim.exe", app.workDir));
  EXPECT_TRUE(isVisible(app, IDC_BIT_ONE_FIRST + 23));
  EXPECT_FALSE(isVisible(app, IDC_BIT_DCARE_FIRST + 23));
  EXPECT_TRUE(isVisible(app, IDC_GAP_AFTER));
  EXPECT_TRUE(isChecked(app, IDC_GAP_MIN_ENABLED));
  EXPECT_TRUE(isVisible(app, IDC_GAP_MIN));
  EXPECT_EQ(text(app, IDC_GAP_MIN), "22");
  EXPECT_TRUE(isVisible(app, IDC_BUS_FIRST + 1));
  EXPECT_TRUE(isChecked(app, IDC_IRIG_INPUT));
  EXPECT_EQ(text(app, IDC_MAX_SIZE_TEXT), "10 GBytes");
  EXPECT_EQ(text(app, IDC_OCCURRENCE), "") << "the occurrence edit starts empty";
}

// The x64 edition has no real-card recorder.
#if !defined(_WIN64)
TEST_F(ShellE2E, RealBuildWithoutDriverRunsOnWithThePcClock) {
  ASSERT_TRUE(startApp(app, "varnotek.exe", makeWorkDir("shell")));
  EXPECT_EQ(statusLine(app), "ERROR: Could not find KOLVA card");
  const std::string first = text(app, IDC_TIME_TEXT);
  ASSERT_TRUE(waitForTextChange(app, IDC_TIME_TEXT, first, 5000));
  EXPECT_TRUE(isVisible(app, IDC_YELLOW_LIGHT));
  EXPECT_FALSE(isVisible(app, IDC_RED_LIGHT));
  EXPECT_FALSE(isVisible(app, IDC_GREEN_LIGHT));
  // Start Recording does nothing without a card.
  setText(app, IDC_FILE_NAME, "none.qel");
  clickButton(app, IDC_START_RECORDING);
  EXPECT_EQ(statusLine(app), "ERROR: Could not find KOLVA card");
  EXPECT_EQ(fileSizeOf(app.workDir + "\\none.qel"), -1);
  clickButton(app, IDC_QUIT);
  EXPECT_EQ(waitForExit(app, 20000), 0);
}
#endif
