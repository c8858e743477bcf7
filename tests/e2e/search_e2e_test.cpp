// The search criteria, the pattern search and the time-tag search through the real dialog.
#include <gtest/gtest.h>

#include "app_driver.h"
#include "e2e_records.h"
#include "res/resource_ids.h"

namespace {
class SearchE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    workDir = makeWorkDir("search");
    ASSERT_TRUE(writeFileBytes(workDir + "\\run.qel", craftedFile(30)));
    ASSERT_TRUE(startApp(app, "varnotek-sim.exe", workDir));
    setText(app, IDC_FILE_NAME, "run.qel");
  }
  void TearDown() override {
    closeWindowsTitled("QEL.TMP");
    closeWindowsTitled("Notepad");
    stopApp(app);
  }
  // Runs a deferred search button and waits for its status.
  std::string runDeferred(int id) {
    clickButton(app, id);
    waitWhileStatus(app, "Processing task may take a while - PLEASE WAIT", 20000);
    return statusLine(app);
  }
  std::string workDir;
  RunningApp app;
};
}  // namespace

TEST_F(SearchE2E, CriteriaClicksGetLineCountAndNext) {
  // Bus J3 (three clicks from JX), sync CMD (one click from ANY), errors WITH_ERRS (two clicks).
  clickIcon(app, IDC_BUS_FIRST);
  clickIcon(app, IDC_BUS_FIRST + 1);
  clickIcon(app, IDC_BUS_FIRST + 2);
  clickIcon(app, IDC_SYNC_FIRST + 2);
  clickIcon(app, IDC_ERRORS_FIRST + 2);
  clickIcon(app, IDC_ERRORS_FIRST);
  EXPECT_TRUE(isVisible(app, IDC_BUS_FIRST + 3));
  EXPECT_TRUE(isVisible(app, IDC_SYNC_FIRST));
  EXPECT_TRUE(isVisible(app, IDC_ERRORS_FIRST + 1));
  EXPECT_EQ(runDeferred(IDC_GET_OCCURRENCES), "Success");
  EXPECT_EQ(text(app, IDC_OCCURRENCE_COUNT), "10");
  setText(app, IDC_OCCURRENCE, "2");
  EXPECT_EQ(runDeferred(IDC_GET_LINE), "Success");
  EXPECT_EQ(text(app, IDC_LINE_FOUND), "4");
  EXPECT_EQ(runDeferred(IDC_NEXT), "Success");
  EXPECT_EQ(text(app, IDC_OCCURRENCE), "3");
  EXPECT_EQ(text(app, IDC_LINE_FOUND), "7");
  setText(app, IDC_OCCURRENCE, "10");
  EXPECT_EQ(runDeferred(IDC_NEXT), "Success");
  EXPECT_EQ(text(app, IDC_LINE_FOUND), "None Found");
  EXPECT_EQ(text(app, IDC_OCCURRENCE), "10");
}

// A file of several blocks: Find Nearest TTag and Get Number Of Ocurrences give the same results
// before the saved index exists, with the index the count left behind, with a damaged index and
// with none.
TEST_F(SearchE2E, FindNearestTTagAndCountTheSameWithAndWithoutTheIndex) {
  ASSERT_TRUE(writeFileBytes(workDir + "\\big.qel", craftedFile(40000)));
  setText(app, IDC_FILE_NAME, "big.qel");
  // Record 30001 is at 04:05:07.500000; J3 command words with errors are every third record.
  setText(app, IDC_TTAG_DAYS, "123");
  setText(app, IDC_TTAG_HOURS, "4");
  setText(app, IDC_TTAG_MINUTES, "5");
  setText(app, IDC_TTAG_SECONDS, "7");
  setText(app, IDC_TTAG_FRACTION, "49999");
  clickIcon(app, IDC_BUS_FIRST);
  clickIcon(app, IDC_BUS_FIRST + 1);
  clickIcon(app, IDC_BUS_FIRST + 2);  // J3
  const std::string index = workDir + "\\big.qix";
  const auto findAndCount = [&](const char* when) {
    setText(app, IDC_TTAG_LINE, "");
    setText(app, IDC_OCCURRENCE_COUNT, "");
    clickButton(app, IDC_FIND_TTAG);
    EXPECT_EQ(statusLine(app), "Success") << when;
    EXPECT_EQ(text(app, IDC_TTAG_LINE), "30001") << when;
    EXPECT_EQ(text(app, IDC_VIEW_FROM), "29991") << when;
    EXPECT_EQ(runDeferred(IDC_GET_OCCURRENCES), "Success") << when;
    EXPECT_EQ(text(app, IDC_OCCURRENCE_COUNT), "13334") << when;
  };
  findAndCount("before any index");
  EXPECT_GT(fileSizeOf(index), 64) << "the count, which read the whole file, leaves the index";
  findAndCount("with the index");
  std::string damaged = readFileBytes(index);
  damaged[200] = static_cast<char>(damaged[200] ^ 0x40);
  ASSERT_TRUE(writeFileBytes(index, damaged));
  findAndCount("with a damaged index");
  ASSERT_TRUE(DeleteFileA(index.c_str()));
  setText(app, IDC_TTAG_SECONDS, "8");
  setText(app, IDC_TTAG_FRACTION, "");
  clickButton(app, IDC_FIND_TTAG);
  EXPECT_EQ(text(app, IDC_TTAG_LINE), "40001") << "past the last record, with no index";
  setText(app, IDC_TTAG_SECONDS, "7");
  setText(app, IDC_TTAG_FRACTION, "49999");
  findAndCount("with no index again");
}

TEST_F(SearchE2E, SettingsSurviveQuitAndANewStart) {
  clickIcon(app, IDC_BIT_DCARE_FIRST + 23);  // bit 23 -> ZERO
  clickIcon(app, IDC_BIT_ZERO_FIRST + 23);   // -> ONE
  clickIcon(app, IDC_GAP_BEFORE);            // -> AFTER
  sendCommand(app, IDC_GAP_MIN_ENABLED);
  setText(app, IDC_GAP_MIN, "22");
  clickIcon(app, IDC_BUS_FIRST);             // J1
  clickButton(app, IDC_IRIG_INPUT);
  clickButton(app, IDC_MAX_FILE_SIZE);
  setText(app, IDC_OCCURRENCE, "4");
  clickButton(app, IDC_QUIT);
  ASSERT_EQ(waitForExit(app, 20000), 0);
  EXPECT_EQ(fileSizeOf(workDir + "\\QEL.SUP"), 65);
  stopApp(app);

  ASSERT_TRUE(startApp(app, "varnotek-sim.exe", workDir));
  EXPECT_TRUE(isVisible(app, IDC_BIT_ONE_FIRST + 23));
  EXPECT_FALSE(isVisible(app, IDC_BIT_DCARE_FIRST + 23));
  EXPECT_TRUE(isVisible(app, IDC_BIT_DCARE_FIRST));
  EXPECT_TRUE(isVisible(app, IDC_GAP_AFTER));
  EXPECT_FALSE(isVisible(app, IDC_GAP_BEFORE));
  EXPECT_TRUE(isChecked(app, IDC_GAP_MIN_ENABLED));
  EXPECT_TRUE(isVisible(app, IDC_GAP_MIN));
  EXPECT_EQ(text(app, IDC_GAP_MIN), "22");
  EXPECT_FALSE(isChecked(app, IDC_GAP_MAX_ENABLED));
  EXPECT_EQ(text(app, IDC_GAP_MAX), "0");
  EXPECT_TRUE(isVisible(app, IDC_BUS_FIRST + 1));
  EXPECT_TRUE(isChecked(app, IDC_IRIG_INPUT));
  EXPECT_EQ(text(app, IDC_MAX_SIZE_TEXT), "10 GBytes");
  EXPECT_EQ(text(app, IDC_OCCURRENCE), "") << "the occurrence edit starts empty";
}
