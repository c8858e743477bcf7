// The recorder shell as an operator meets it: the dialog, its status line and clock, the clicks
// that must not end it, and Quit with the settings it keeps.
#include <gtest/gtest.h>

#include "app_driver.h"
#include "res/resource_ids.h"

namespace {
class ShellE2E : public ::testing::Test {
 protected:
  void TearDown() override { stopApp(app); }
  RunningApp app;
};
}  // namespace

// Started with a command line, which has no effect. The card is found and its time runs; Escape,
// Enter and the close requests leave the dialog open; Quit ends it with 0 and saves the settings
// changed, which the next start shows again.
TEST_F(ShellE2E, SimulatedBuildShowsTheDialogAloneOnlyQuitEndsItAndTheSettingsSurvive) {
  ASSERT_TRUE(startApp(app, "varnotek-sim.exe", makeWorkDir("shell"), "--record now.qel /x"));
  const HWND main = GetWindow(app.dialog, GW_OWNER);
  char className[64] = {0};
  GetClassNameA(main, className, sizeof className);
  EXPECT_STREQ(className, "Varnotek") << "the main window exists while the dialog runs";
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_FALSE(IsWindowEnabled(main));
  for (int id : {IDC_FORMAT_1553, IDC_FORMAT_LDB, IDC_FORMAT_MEC, IDC_FORMAT_EIU}) {
    EXPECT_FALSE(isEnabled(app, id)) << id;
  }
  EXPECT_TRUE(isEnabled(app, IDC_FORMAT_MDM));
  EXPECT_TRUE(isChecked(app, IDC_FORMAT_BINARY));
  EXPECT_EQ(text(app, IDC_MAX_SIZE_TEXT), "5 GBytes");

  EXPECT_EQ(statusLine(app), "Found KOLVA card");
  Sleep(1200);
  const std::string first = text(app, IDC_TIME_TEXT);
  ASSERT_TRUE(waitForTextChange(app, IDC_TIME_TEXT, first, 5000)) << first;
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

  sendCommand(app, IDC_BIT_DCARE_FIRST + 23);  // bit 23 -> ZERO
  sendCommand(app, IDC_BIT_ZERO_FIRST + 23);   // -> ONE
  sendCommand(app, IDC_GAP_BEFORE);            // -> AFTER
  sendCommand(app, IDC_GAP_MIN_ENABLED);
  setText(app, IDC_GAP_MIN, "22");
  sendCommand(app, IDC_BUS_FIRST);  // J1
  clickButton(app, IDC_IRIG_INPUT);
  clickButton(app, IDC_MAX_FILE_SIZE);
  setText(app, IDC_OCCURRENCE, "4");
  clickButton(app, IDC_QUIT);
  ASSERT_EQ(waitForExit(app, 20000), 0);
  EXPECT_EQ(fileSizeOf(app.workDir + "\\QEL.SUP"), 65);
  EXPECT_EQ(fileSizeOf(app.workDir + "\\now.qel"), -1);
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
