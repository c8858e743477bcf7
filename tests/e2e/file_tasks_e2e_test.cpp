// The file tasks through the real dialog: View, Convert File, and the search criteria with the
// searches they steer.
#include <gtest/gtest.h>

#include "app_driver.h"
#include "files/report.h"
#include "res/resource_ids.h"
#include "tests/support/record_oracles.h"
#include "tests/support/test_records.h"

namespace {
// count records 50 us apart from day 123 04:05:06; every third a command word with errors
// on J3.
Bytes craftedFile(int count) {
  std::vector<BusRecord> records;
  for (int i = 0; i < count; ++i) {
    const bool command = i % 3 == 0;
    records.push_back(testRecord({halfMicrosAt(123, 4, 5, 6) + 100u * i, 0x9A5234u + i, command ? 2u : 0u,
                                  command ? 1u : 0u, command ? kErrorPy | kErrorSh : 0u}));
  }
  return dataFileBytes(records);
}

class FileTasksE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string workDir = makeWorkDir("tasks");
    ASSERT_TRUE(writeBytes(workDir + "\\run.qel", craftedFile(30)));
    ASSERT_TRUE(startApp(app, "varnotek-sim.exe", workDir));
    setText(app, IDC_FILE_NAME, "run.qel");
  }
  void TearDown() override {
    closeEditorWindows();
    stopApp(app);
  }
  std::string path(const std::string& name) const { return app.workDir + "\\" + name; }
  // Runs a deferred search button and waits for its status.
  std::string runDeferred(int id) {
    clickButton(app, id);
    waitWhileStatus(app, "Processing task may take a while - PLEASE WAIT", 20000);
    return statusLine(app);
  }
  RunningApp app;
};
}  // namespace

TEST_F(FileTasksE2E, ViewWritesTheSameReportAsTheWriterAndStartsTheEditor) {
  setText(app, IDC_VIEW_FROM, "3");
  setText(app, IDC_VIEW_LINES, "50");
  clickButton(app, IDC_FORMAT_MDM);
  clickButton(app, IDC_VIEW);
  EXPECT_EQ(statusLine(app), "Success");
  const std::string shown = readText(path("QEL.TMP"));
  ASSERT_EQ(writeReport(path("run.qel"), path("expected.tmp"), StackFormat::Mdm, 3, 50), StatusCode::Success);
  EXPECT_EQ(shown, readText(path("expected.tmp")));
  EXPECT_NE(shown.find("\r\n"), std::string::npos) << "text mode on Windows";
  // The editor opens the report.
  bool editorSeen = false;
  for (int i = 0; i < 100 && !editorSeen; ++i) {
    editorSeen = closeEditorWindows() > 0;
    Sleep(100);
  }
  EXPECT_TRUE(editorSeen);
}

TEST_F(FileTasksE2E, ConvertFileMakesTheDataFileAndRefreshesTheList) {
  Bytes dump(786434);
  for (size_t i = 0; i < dump.size(); ++i) dump[i] = static_cast<unsigned char>(i * 7);
  ASSERT_TRUE(writeBytes(path("RUN7.SUP"), dump));
  setText(app, IDC_FILE_NAME, "RUN7.QEL");
  clickButton(app, IDC_CONVERT_FILE);
  EXPECT_EQ(statusLine(app), "Success");
  EXPECT_EQ(fileSizeOf(path("RUN7.QEL")), 65536);
  const LRESULT found = SendMessageA(control(app, IDC_FILE_NAME), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>("run7.qel"));
  EXPECT_NE(found, CB_ERR) << "the list shows the new data file";
}

TEST_F(FileTasksE2E, CriteriaClicksGetLineCountAndNext) {
  // Bus J3 (three clicks from JX), sync CMD (one click from ANY), errors WITH_ERRS (two clicks).
  sendCommand(app, IDC_BUS_FIRST);
  sendCommand(app, IDC_BUS_FIRST + 1);
  sendCommand(app, IDC_BUS_FIRST + 2);
  sendCommand(app, IDC_SYNC_FIRST + 2);
  sendCommand(app, IDC_ERRORS_FIRST + 2);
  sendCommand(app, IDC_ERRORS_FIRST);
  EXPECT_TRUE(isVisible(app, IDC_BUS_FIRST + 3));
  EXPECT_TRUE(isVisible(app, IDC_SYNC_FIRST));
  EXPECT_TRUE(isVisible(app, IDC_ERRORS_FIRST + 1));
  EXPECT_EQ(runDeferred(IDC_GET_OCCURRENCES), "Success");
  EXPECT_EQ(text(app, IDC_OCCURRENCE_COUNT), "10");
  setText(app, IDC_OCCURRENCE, "2");
  EXPECT_EQ(runDeferred(IDC_GET_LINE), "Success");
  EXPECT_EQ(text(app, IDC_LINE_FOUND), "4");
  setText(app, IDC_OCCURRENCE, "10");
  EXPECT_EQ(runDeferred(IDC_NEXT), "Success");
  EXPECT_EQ(text(app, IDC_LINE_FOUND), "None Found");
  EXPECT_EQ(text(app, IDC_OCCURRENCE), "10");
}
