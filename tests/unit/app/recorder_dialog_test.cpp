#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "dialog_test_support.h"
#include "res/resource_ids.h"

namespace {
const std::string kSyntaxError = "ERROR: Syntax error                ";

void writeFile(const std::string& path, size_t bytes) {
  std::ofstream out(path, std::ios::binary);
  out << std::string(bytes, '\0');
}

long fileSize(const char* path) {
  struct stat info;
  return stat(path, &info) == 0 ? static_cast<long>(info.st_size) : -1;
}
}  // namespace

TEST_F(DialogTest, StartWithoutCardShowsItsStatusAndRunsTheClock) {
  start();
  EXPECT_FALSE(state.cardPresent);
  EXPECT_EQ(dialog.status(), "ERROR: Could not find KOLVA card   ");
  EXPECT_EQ(dialog.beeps, 1);
  EXPECT_TRUE(dialog.timerRunning(TIMER_CLOCK));
  EXPECT_FALSE(dialog.timerRunning(TIMER_TASK));
  EXPECT_TRUE(dialog.checked[IDC_FORMAT_BINARY]);
  EXPECT_EQ(dialog.texts[IDC_MAX_SIZE_TEXT], "5 GBytes");
  EXPECT_EQ(state.recordingSession.progress.wordLimit, 5.0f * 67108864.0f);
  // Start Recording without a card does nothing and shows nothing.
  dialog.texts[IDC_FILE_NAME] = "run.qel";
  const int beeps = dialog.beeps;
  EXPECT_TRUE(click(IDC_START_RECORDING));
  EXPECT_EQ(dialog.beeps, beeps);
  EXPECT_FALSE(state.recording);
  EXPECT_EQ(fileSize("run.qel"), -1);
}

TEST_F(DialogTest, OnlyPlainClicksOfKnownControlsAreHandled) {
  start();
  struct Case {
    unsigned wParam;
    bool handled;
  };
  const Case cases[] = {
      {1, false},                          // Enter (IDOK)
      {2, false},                          // Escape and the close request (IDCANCEL)
      {IDC_IRIG_INPUT, false},             // automatic check box
      {IDC_FORMAT_MDM, false},             // format buttons
      {IDC_FORMAT_BINARY, false},
      {(0x0300u << 16) | IDC_VIEW_FROM, false},  // an edit's change notification
      {(1u << 16) | IDC_QUIT, false},      // not a click notification
      {(1u << 16) | IDC_BIT_ONE_FIRST, false},
      {999, false},
      {IDC_STOP_RECORDING, true},          // handled, does nothing while idle
      {IDC_SYNC_FIRST, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(click(c.wParam), c.handled) << c.wParam;
  }
  EXPECT_EQ(dialog.endedWith, -1) << "nothing but Quit ends the dialog";
}

TEST_F(DialogTest, FileTasksAndMaxFileSizeAreRefusedWhileRecording) {
  start();
  state.recording = true;  // as after a good Start Recording
  dialog.texts[IDC_FILE_NAME] = "run.qel";
  dialog.texts[IDC_VIEW_FROM] = "1";
  dialog.texts[IDC_VIEW_LINES] = "1";
  writeFile("run.qel", 16);
  const std::string statusBefore = dialog.status();
  const int beepsBefore = dialog.beeps;
  for (unsigned id : {IDC_MAX_FILE_SIZE, IDC_GET_FILE_SIZE, IDC_GET_LINE, IDC_GET_OCCURRENCES, IDC_NEXT,
                      IDC_CONVERT_FILE, IDC_VIEW, IDC_FIND_TTAG}) {
    EXPECT_TRUE(click(id)) << id;
  }
  EXPECT_EQ(dialog.status(), statusBefore);
  EXPECT_EQ(dialog.beeps, beepsBefore);
  EXPECT_EQ(state.pendingCommand, 0);
  EXPECT_EQ(settings.maxFileSizeGB, 5.0f);
  EXPECT_EQ(fileSize("QEL.TMP"), -1);
  // The criteria and the About box still work.
  EXPECT_TRUE(click(IDC_BUS_FIRST));
  EXPECT_EQ(settings.busChoice, 1);
  EXPECT_TRUE(click(IDC_ABOUT_ICON));
  EXPECT_EQ(dialog.messageBoxes.size(), 1u);
}

TEST_F(DialogTest, DeferredTaskRunsOnTheNextTickAndTheSecondClickWins) {
  start();
  dialog.texts[IDC_FILE_NAME] = "run.qel";
  writeFile("run.qel", 3 * 16 + 5);
  EXPECT_TRUE(click(IDC_GET_LINE));
  EXPECT_EQ(state.pendingCommand, IDC_DEFERRED_GET_LINE);
  EXPECT_TRUE(click(IDC_GET_FILE_SIZE));
  EXPECT_EQ(state.pendingCommand, IDC_DEFERRED_FILE_SIZE);
  EXPECT_EQ(dialog.status(), "Processing task may take a while - PLEASE WAIT");
  EXPECT_EQ(dialog.timers[TIMER_TASK], 4u);
  const int beeps = dialog.beeps;
  tick(TIMER_TASK);
  EXPECT_FALSE(dialog.timerRunning(TIMER_TASK));
  EXPECT_EQ(state.pendingCommand, 0);
  EXPECT_EQ(dialog.texts[IDC_FILE_SIZE_TEXT], "3") << "whole records only";
  EXPECT_EQ(dialog.status(), "Success                            ");
  EXPECT_EQ(dialog.beeps, beeps + 1);
  EXPECT_TRUE(dialog.texts[IDC_LINE_FOUND].empty()) << "the replaced task never ran";
  // A further tick with nothing pending does nothing.
  tick(TIMER_TASK);
  EXPECT_EQ(dialog.beeps, beeps + 1);
}

TEST_F(DialogTest, MaxFileSizeStepsByFiveAndWrapsAfterFifty) {
  start();
  settings.maxFileSizeGB = 45.0f;
  struct Step {
    float size;
    const char* text;
  };
  const Step steps[] = {{50.0f, "50 GBytes"}, {5.0f, "5 GBytes"}, {10.0f, "10 GBytes"}};
  for (const Step& s : steps) {
    EXPECT_TRUE(click(IDC_MAX_FILE_SIZE));
    EXPECT_EQ(settings.maxFileSizeGB, s.size);
    EXPECT_EQ(dialog.texts[IDC_MAX_SIZE_TEXT], s.text);
    EXPECT_EQ(state.recordingSession.progress.wordLimit, 67108864.0f * s.size);
  }
}

TEST_F(DialogTest, DataFileNameCheck) {
  start();
  struct Case {
    const char* name;
    const char* status;
  };
  const Case cases[] = {
      {"", "ERROR: Invalid file name           "},
      {".qel", "ERROR: Invalid file name           "},
      {"a.qel", "Success                            "},
      {"data.QeL", "Success                            "},
      {"data.qex", "ERROR: Incorrect file type         "},
      {"dataxqel", "ERROR: Incorrect file type         "},
      {"data.qel.txt", "ERROR: Incorrect file type         "},
  };
  for (const Case& c : cases) {
    dialog.texts[IDC_FILE_NAME] = c.name;
    writeFile(c.name[0] ? c.name : "unused", 32);
    click(IDC_GET_FILE_SIZE);
    tick(TIMER_TASK);
    EXPECT_EQ(dialog.status(), c.status) << c.name;
  }
}

TEST_F(DialogTest, ViewChecksItsFieldsBeforeWritingAReport) {
  start();
  writeFile("run.qel", 2 * 16);
  struct Case {
    const char* from;
    const char* lines;
    const char* name;
    const char* status;
  };
  const Case cases[] = {
      {"", "5", "run.qel", kSyntaxError.c_str()},
      {"0", "5", "run.qel", kSyntaxError.c_str()},
      {"1a", "5", "run.qel", kSyntaxError.c_str()},
      {"-1", "5", "run.qel", kSyntaxError.c_str()},
      {"1", "", "run.qel", kSyntaxError.c_str()},
      {"1", "0", "run.qel", kSyntaxError.c_str()},
      {"1", "5", "run.txt", "ERROR: Incorrect file type         "},
      {"1", "5", "r", "ERROR: Invalid file name           "},
  };
  for (const Case& c : cases) {
    dialog.texts[IDC_VIEW_FROM] = c.from;
    dialog.texts[IDC_VIEW_LINES] = c.lines;
    dialog.texts[IDC_FILE_NAME] = c.name;
    EXPECT_TRUE(click(IDC_VIEW));
    EXPECT_EQ(dialog.status(), c.status) << c.from << "/" << c.lines << "/" << c.name;
    EXPECT_EQ(fileSize("QEL.TMP"), -1) << "no report after a failed check";
    EXPECT_TRUE(system.launches.empty());
  }
  // A later View with valid fields works and starts the editor.
  dialog.texts[IDC_VIEW_FROM] = "2";
  dialog.texts[IDC_VIEW_LINES] = "20";
  dialog.texts[IDC_FILE_NAME] = "run.qel";
  EXPECT_TRUE(click(IDC_VIEW));
  EXPECT_EQ(dialog.status(), "Success                            ");
  EXPECT_GT(fileSize("QEL.TMP"), 0);
  ASSERT_EQ(system.launches.size(), 1u);
  EXPECT_EQ(system.launches[0], "notepad.exe QEL.TMP");
  EXPECT_EQ(state.viewFrom, 2);
  // An editor that cannot be started gives 12.
  system.launchResult = 2;
  click(IDC_VIEW);
  EXPECT_EQ(dialog.status(), "ERROR: Could not find application  ");
}

TEST_F(DialogTest, ViewFieldsReachBeyondTheFloatRange) {
  start();
  writeFile("run.qel", 16);
  dialog.texts[IDC_FILE_NAME] = "run.qel";
  dialog.texts[IDC_VIEW_FROM] = "3435973837";
  dialog.texts[IDC_VIEW_LINES] = "16777217";
  click(IDC_VIEW);
  EXPECT_EQ(state.viewFrom, 3435973837LL);
  EXPECT_EQ(state.viewLines, 16777217LL);
  EXPECT_EQ(dialog.status(), "ERROR: Bus word does not exist     ");
}

TEST_F(DialogTest, HelpFallsBackToTheGuideBesideTheProgram) {
  start();
  struct Case {
    unsigned launchResult;
    bool documentOpens;
    bool statusShown;
  };
  const Case cases[] = {{42, false, false}, {2, true, false}, {31, false, true}};
  for (const Case& c : cases) {
    system.launchResult = c.launchResult;
    system.openDocumentResult = c.documentOpens;
    dialog.texts[IDC_STATUS_LINE] = "before";
    const int beeps = dialog.beeps;
    EXPECT_TRUE(click(IDC_HELP_BUTTON));
    EXPECT_EQ(system.launches.back(), "c:\\program files\\adobe\\reader 8.0\\reader\\AcroRd32.exe QELHELP.PDF");
    if (c.statusShown) {
      EXPECT_EQ(dialog.status(), "ERROR: Could not find application  ");
      EXPECT_EQ(dialog.beeps, beeps + 1);
    } else {
      EXPECT_EQ(dialog.status(), "before");
      EXPECT_EQ(dialog.beeps, beeps);
    }
  }
  EXPECT_EQ(system.documentsOpened.back(), "C:\\varnotek\\QELHELP.PDF");
}

TEST_F(DialogTest, AboutBoxSaysWhenTheCardIsSimulated) {
  start();
  dialog.texts[IDC_STATUS_LINE] = "unchanged";
  click(IDC_ABOUT_ICON);
  recorder.simulatedCard = true;
  click(IDC_ABOUT_ICON);
  ASSERT_EQ(dialog.messageBoxes.size(), 2u);
  EXPECT_EQ(dialog.messageBoxes[0].second, "Dravelin");
  EXPECT_EQ(dialog.messageBoxes[0].first.find("simulated"), std::string::npos);
  EXPECT_NE(dialog.messageBoxes[1].first.find("simulated KOLVA card"), std::string::npos);
  EXPECT_EQ(dialog.status(), "unchanged");
}

TEST_F(DialogTest, QuitSavesTheSettingsAndEndsTheDialog) {
  start();
  dialog.checked[IDC_IRIG_INPUT] = true;
  dialog.texts[IDC_OCCURRENCE] = "1a";  // a syntax error does not stop the quit
  click(IDC_MAX_FILE_SIZE);
  EXPECT_TRUE(click(IDC_QUIT));
  EXPECT_EQ(dialog.endedWith, 0);
  EXPECT_TRUE(dialog.timers.empty());
  EXPECT_EQ(fileSize("QEL.SUP"), 65);
  SearchSettings reloaded;
  loadSearchSettings(reloaded);
  EXPECT_EQ(reloaded.irigInput, 1);
  EXPECT_EQ(reloaded.maxFileSizeGB, 10.0f);
}

TEST_F(DialogTest, ShowStatusBeepsForEveryCodeShown) {
  start();
  const int beeps = dialog.beeps;
  dialog.texts[IDC_FILE_NAME] = "x";
  click(IDC_CONVERT_FILE);
  click(IDC_CONVERT_FILE);
  EXPECT_EQ(dialog.beeps, beeps + 2);
  EXPECT_EQ(dialog.status().size(), 35u);
}
