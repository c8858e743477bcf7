// The recorder shell as an operator meets it: the dialog, its status line, the clicks that
// must not end it, and Quit.
#include <gtest/gtest.h>

#include "app_driver.h"
#include "res/resource_ids.h"

namespace {
class ShellE2E : public ::testing::Test {
 protected:
  void start(const char* exe) { ASSERT_TRUE(startApp(app, exe, makeWorkDir("shell"))) << exe; }
  void TearDown() override { stopApp(app); }
  RunningApp app;
};

BOOL CALLBACK findMainWindow(HWND window, LPARAM param) {
  auto* found = reinterpret_cast<std::pair<DWORD, HWND>*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char className[64] = {0};
  GetClassNameA(window, className, sizeof className);
  if (owner == found->first && std::string(className) == "Varnotek") {
    found->second = window;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

TEST_F(ShellE2E, DialogAppearsAloneAndTheFormatButtonsAreDisabled) {
  start("varnotek-sim.exe");
  std::pair<DWORD, HWND> main{app.process.dwProcessId, nullptr};
  EnumWindows(findMainWindow, reinterpret_cast<LPARAM>(&main));
  ASSERT_NE(main.second, nullptr) << "the main window exists while the dialog runs";
  EXPECT_FALSE(IsWindowVisible(main.second));
  EXPECT_FALSE(IsWindowEnabled(main.second));
  EXPECT_TRUE(IsWindowVisible(app.dialog));
  for (int id : {IDC_FORMAT_1553, IDC_FORMAT_LDB, IDC_FORMAT_MEC, IDC_FORMAT_EIU}) {
    EXPECT_FALSE(isEnabled(app, id)) << id;
  }
  EXPECT_TRUE(isEnabled(app, IDC_FORMAT_MDM));
  EXPECT_TRUE(isChecked(app, IDC_FORMAT_BINARY));
  EXPECT_EQ(text(app, IDC_MAX_SIZE_TEXT), "5 GBytes");
  // First run: every bit don't-care, the default choices, gap edits hidden.
  EXPECT_TRUE(isVisible(app, IDC_BIT_DCARE_FIRST));
  EXPECT_FALSE(isVisible(app, IDC_BIT_ONE_FIRST));
  EXPECT_TRUE(isVisible(app, IDC_SYNC_FIRST + 2));
  EXPECT_TRUE(isVisible(app, IDC_BUS_FIRST));
  EXPECT_FALSE(isVisible(app, IDC_GAP_MIN));
  EXPECT_TRUE(isVisible(app, IDC_GAP_BEFORE));
  EXPECT_FALSE(isVisible(app, IDC_GAP_AFTER));
}

// Started with a command line, which has no effect.
TEST_F(ShellE2E, EscapeEnterAndCloseLeaveTheDialogOpenQuitEndsWithZero) {
  ASSERT_TRUE(startApp(app, "varnotek-sim.exe", makeWorkDir("shell"), "--record now.qel /x"));
  sendCommand(app, IDCANCEL);
  sendCommand(app, IDOK);
  SendMessageA(app.dialog, WM_CLOSE, 0, 0);
  PostMessageA(app.dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  PostMessageA(app.dialog, WM_KEYDOWN, VK_ESCAPE, 0);
  pause(500);
  EXPECT_EQ(waitForExit(app, 0), -1) << "still running";
  EXPECT_TRUE(IsWindow(app.dialog));
  clickButton(app, IDC_QUIT);
  EXPECT_EQ(waitForExit(app, 20000), 0);
  EXPECT_EQ(fileSizeOf(app.workDir + "\\QEL.SUP"), 65);
  EXPECT_EQ(fileSizeOf(app.workDir + "\\now.qel"), -1);
}

// The x64 edition has no real-card recorder.
#if !defined(_WIN64)
TEST_F(ShellE2E, RealBuildWithoutDriverRunsOnWithThePcClock) {
  start("varnotek.exe");
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

TEST_F(ShellE2E, SimulatedBuildFindsTheCardAndItsTimeRuns) {
  start("varnotek-sim.exe");
  EXPECT_EQ(statusLine(app), "Found KOLVA card");
  pause(1200);
  const std::string first = text(app, IDC_TIME_TEXT);
  ASSERT_TRUE(waitForTextChange(app, IDC_TIME_TEXT, first, 5000)) << first;
  EXPECT_EQ(text(app, IDC_TIME_TEXT).size(), 12u);
  EXPECT_TRUE(isVisible(app, IDC_GREEN_LIGHT));
  EXPECT_FALSE(isVisible(app, IDC_YELLOW_LIGHT));
}
