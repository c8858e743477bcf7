// View, Get File Size and Convert File through the real dialog.
#include <gtest/gtest.h>

#include "app_driver.h"
#include "e2e_records.h"
#include "files/report.h"
#include "res/resource_ids.h"

namespace {
class FilesE2E : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(startApp(app, "varnotek-sim.exe", makeWorkDir("files"))); }
  void TearDown() override {
    closeWindowsTitled("QEL.TMP");
    closeWindowsTitled("qel.tmp");
    closeWindowsTitled("Notepad");
    stopApp(app);
  }
  std::string path(const std::string& name) const { return app.workDir + "\\" + name; }
  RunningApp app;
};
}  // namespace

TEST_F(FilesE2E, ViewWritesTheSameReportAsTheWriterAndStartsTheEditor) {
  ASSERT_TRUE(writeFileBytes(path("run.qel"), craftedFile(40)));
  setText(app, IDC_FILE_NAME, "run.qel");
  setText(app, IDC_VIEW_FROM, "3");
  setText(app, IDC_VIEW_LINES, "50");
  clickButton(app, IDC_FORMAT_MDM);
  clickButton(app, IDC_VIEW);
  EXPECT_EQ(statusLine(app), "Success");
  const std::string shown = readFileBytes(path("QEL.TMP"));
  ASSERT_EQ(writeReport(path("run.qel"), path("expected.tmp"), StackFormat::Mdm, 3, 50), StatusCode::Success);
  EXPECT_EQ(shown, readFileBytes(path("expected.tmp")));
  EXPECT_NE(shown.find("\r\n"), std::string::npos) << "text mode on Windows";
  // The editor opens the report.
  bool editorSeen = false;
  for (int i = 0; i < 100 && !editorSeen; ++i) {
    editorSeen = closeWindowsTitled("QEL.TMP") + closeWindowsTitled("qel.tmp") + closeWindowsTitled("QEL") > 0;
    pause(100);
  }
  EXPECT_TRUE(editorSeen);
}

TEST_F(FilesE2E, GetFileSizeShowsTheWaitTextThenTheCount) {
  ASSERT_TRUE(writeFileBytes(path("run.qel"), craftedFile(37) + "frag"));
  setText(app, IDC_FILE_NAME, "run.qel");
  postCommand(app, IDC_GET_FILE_SIZE);
  ASSERT_TRUE(waitForStatusPrefix(app, "Processing task may take a while - PLEASE WAIT", 5000)) << statusLine(app);
  ASSERT_TRUE(waitForStatusPrefix(app, "Success", 10000)) << statusLine(app);
  EXPECT_EQ(text(app, IDC_FILE_SIZE_TEXT), "37");
  setText(app, IDC_FILE_NAME, "missing.qel");
  clickButton(app, IDC_GET_FILE_SIZE);
  ASSERT_TRUE(waitForStatusPrefix(app, "ERROR", 10000));
  EXPECT_EQ(statusLine(app), "ERROR: Could not open file");
  EXPECT_EQ(text(app, IDC_FILE_SIZE_TEXT), "37");
}

TEST_F(FilesE2E, ConvertFileMakesTheDataFileAndRefreshesTheList) {
  std::string dump(786434, '\0');
  for (size_t i = 0; i < dump.size(); ++i) dump[i] = static_cast<char>(i * 7);
  ASSERT_TRUE(writeFileBytes(path("RUN7.SUP"), dump));
  setText(app, IDC_FILE_NAME, "RUN7.QEL");
  clickButton(app, IDC_CONVERT_FILE);
  EXPECT_EQ(statusLine(app), "Success");
  EXPECT_EQ(fileSizeOf(path("RUN7.QEL")), 65536);
  const LRESULT found = SendMessageA(control(app, IDC_FILE_NAME), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>("run7.qel"));
  EXPECT_NE(found, CB_ERR) << "the list shows the new data file";
}
