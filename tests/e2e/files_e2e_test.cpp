// View and Convert File through the real dialog.
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
