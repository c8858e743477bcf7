// The recorder's dialog logic. Without a card: the deferred file tasks and their refusal while
// recording, Max File Size, the field checks, Help and files that cannot be written. On the
// simulated card, with a clock the test advances: recordings and the faults a recording must
// survive. Each test has a fresh recorder in a fresh working directory.
#include "app/recorder_dialog.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "card/driver_port.h"
#include "res/resource_ids.h"
#include "tests/support/fake_ports.h"
#include "tests/support/sim_card_fixture.h"
#include "tests/support/sim_support.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_records.h"

namespace {
// A driver that is not installed: the device cannot be opened.
struct MissingDriverPort : DriverPort {
  DriverHandle openDevice() override { return kInvalidDriverHandle; }
  void closeDevice(DriverHandle) override {}
  int deviceIoControl(DriverHandle, uint32_t, void*, uint32_t) override { return 0; }
};

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder.path.empty());
    std::filesystem::current_path(folder.path);
    card.port = &missingDriver;
  }
  void TearDown() override { std::filesystem::current_path(previousFolder); }
  void start() { ASSERT_TRUE(dialogInit(recorder)); }
  bool click(unsigned id) { return dialogCommand(recorder, id); }
  void tick(unsigned timer) { dialogTimer(recorder, timer); }

  TempFolder folder;
  const std::filesystem::path previousFolder = std::filesystem::current_path();
  MissingDriverPort missingDriver;
  FakeDialogPort dialog;
  FakeSystemPort system;
  RecorderState state;
  CardSession card;
  SearchSettings settings;
  Recorder recorder{dialog, system, state, card, settings, stdioFileAppender(), false};
};

class SimDialogTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    SimConfig config;
    config.card.keepWriteLog = false;
    sim = std::make_unique<SimCardFixture>(config);
    card.port = sim->driver.get();
    system.now = sim->local;
  }
  // Runs the dialog's timers for a stretch of simulated time: timer 1 every 4 ms.
  void run(uint64_t milliseconds) {
    for (uint64_t t = 0; t < milliseconds && dialog.timerRunning(TIMER_TASK); t += 4) {
      sim->clock.advance(4'000'000);
      tick(TIMER_TASK);
    }
  }
  void startRecording(const char* name) {
    dialog.texts[IDC_FILE_NAME] = name;
    click(IDC_START_RECORDING);
  }
  // The recording equals the generator's words from the start of capture.
  void expectGeneratorSequence(const std::string& path) {
    const std::string recorded = readText(path);
    ASSERT_EQ(recorded.size() % 16, 0u);
    const std::string expected = folder.file("expected.qel");
    ASSERT_EQ(
        writeGeneratedRecords(expected.c_str(), sim->driver->config.card.traffic, recorded.size() / 16, sim->local),
        StatusCode::Success);
    EXPECT_TRUE(recorded == readText(expected)) << path << " differs from the generator's words";
  }
  std::unique_ptr<SimCardFixture> sim;
};

// -1 for a file that is not there.
long fileSize(const char* path) {
  std::error_code error;
  return static_cast<long>(std::filesystem::file_size(path, error));
}
}  // namespace

// Max File Size steps by 5 GB and wraps after 50; during a recording it and the file tasks are
// refused without a word.
TEST_F(DialogTest, MaxFileSizeWrapsAfterFiftyAndIsRefusedWithTheFileTasksWhileRecording) {
  start();
  settings.maxFileSizeGB = 45.0f;
  for (const float size : {50.0f, 5.0f, 10.0f}) {
    EXPECT_TRUE(click(IDC_MAX_FILE_SIZE));
    EXPECT_EQ(settings.maxFileSizeGB, size);
    EXPECT_EQ(state.recordingSession.progress.wordLimit, 67108864.0f * size);
  }
  state.recording = true;  // as after a good Start Recording
  dialog.texts[IDC_FILE_NAME] = "run.qel";
  dialog.texts[IDC_VIEW_FROM] = "1";
  dialog.texts[IDC_VIEW_LINES] = "1";
  writeBytes("run.qel", Bytes(16));
  const std::string statusBefore = dialog.status();
  for (unsigned id : {IDC_MAX_FILE_SIZE, IDC_GET_FILE_SIZE, IDC_GET_LINE, IDC_GET_OCCURRENCES, IDC_NEXT,
                      IDC_CONVERT_FILE, IDC_VIEW, IDC_FIND_TTAG}) {
    EXPECT_TRUE(click(id)) << id;
  }
  EXPECT_EQ(dialog.status(), statusBefore);
  EXPECT_EQ(dialog.beeps, 1);
  EXPECT_EQ(state.pendingCommand, 0);
  EXPECT_EQ(settings.maxFileSizeGB, 10.0f);
  EXPECT_EQ(fileSize("QEL.TMP"), -1);
  EXPECT_TRUE(click(IDC_BUS_FIRST)) << "the criteria still work";
  EXPECT_EQ(settings.busChoice, 1);
}

TEST_F(DialogTest, DeferredTaskRunsOnTheNextTickAndTheSecondClickWins) {
  start();
  dialog.texts[IDC_FILE_NAME] = "run.qel";
  writeBytes("run.qel", Bytes(3 * 16 + 5));
  EXPECT_TRUE(click(IDC_GET_LINE));
  EXPECT_TRUE(click(IDC_GET_FILE_SIZE));
  EXPECT_EQ(state.pendingCommand, IDC_DEFERRED_FILE_SIZE);
  EXPECT_EQ(dialog.status(), "Processing task may take a while - PLEASE WAIT");
  EXPECT_EQ(dialog.timers[TIMER_TASK], 4u);
  tick(TIMER_TASK);
  EXPECT_FALSE(dialog.timerRunning(TIMER_TASK));
  EXPECT_EQ(state.pendingCommand, 0);
  EXPECT_EQ(dialog.texts[IDC_FILE_SIZE_TEXT], "3") << "whole records only";
  EXPECT_EQ(dialog.status(), statusText(StatusCode::Success));
  EXPECT_TRUE(dialog.texts[IDC_LINE_FOUND].empty()) << "the replaced task never ran";
  const int beeps = dialog.beeps;
  tick(TIMER_TASK);  // nothing pending: nothing happens
  EXPECT_EQ(dialog.beeps, beeps);
}

// The name check of every file task, and View's own fields (digits only, not 0, beyond the float
// range): no report and no editor after a failed check, an empty report past the end. Then an
// editor, reader and guide that cannot be opened, and files that cannot be written.
TEST_F(DialogTest, NameAndViewFieldChecksAndWhatCannotBeOpenedOrWritten) {
  start();
  const struct {
    const char* name;
    StatusCode status;
  } names[] = {{"", StatusCode::InvalidFileName},        {".qel", StatusCode::InvalidFileName},
               {"a.qel", StatusCode::Success},           {"data.QeL", StatusCode::Success},
               {"data.qex", StatusCode::IncorrectFileType}, {"dataxqel", StatusCode::IncorrectFileType},
               {"data.qel.txt", StatusCode::IncorrectFileType}};
  for (const auto& c : names) {
    dialog.texts[IDC_FILE_NAME] = c.name;
    writeBytes(c.name[0] ? c.name : "unused", Bytes(32));
    click(IDC_GET_FILE_SIZE);
    tick(TIMER_TASK);
    EXPECT_EQ(dialog.status(), statusText(c.status)) << c.name;
  }
  writeBytes("run.qel", Bytes(2 * 16));
  dialog.texts[IDC_FILE_NAME] = "run.qel";
  const struct {
    const char *from, *lines;
    StatusCode status;
  } views[] = {{"", "5", StatusCode::SyntaxError},
               {"0", "5", StatusCode::SyntaxError},
               {"1", "0", StatusCode::SyntaxError},
               {"3435973837", "16777217", StatusCode::BusWordMissing}};
  for (const auto& c : views) {
    dialog.texts[IDC_VIEW_FROM] = c.from;
    dialog.texts[IDC_VIEW_LINES] = c.lines;
    EXPECT_TRUE(click(IDC_VIEW));
    EXPECT_EQ(dialog.status(), statusText(c.status)) << c.from << "/" << c.lines;
    EXPECT_EQ(fileSize("QEL.TMP"), c.status == StatusCode::BusWordMissing ? 0 : -1) << "an empty report past the end";
    EXPECT_TRUE(system.launches.empty());
  }
  EXPECT_EQ(state.viewFrom, 3435973837LL);
  EXPECT_EQ(state.viewLines, 16777217LL);
  dialog.texts[IDC_VIEW_FROM] = "2";
  dialog.texts[IDC_VIEW_LINES] = "20";
  EXPECT_TRUE(click(IDC_VIEW));
  EXPECT_EQ(dialog.status(), statusText(StatusCode::Success));
  EXPECT_GT(fileSize("QEL.TMP"), 0);
  EXPECT_EQ(system.launches, std::vector<std::string>{"notepad.exe QEL.TMP"});
  system.launchResult = 2;  // neither the editor nor the reader starts, and the guide does not open
  system.openDocumentResult = false;
  for (unsigned id : {IDC_VIEW, IDC_HELP_BUTTON}) {
    dialog.texts[IDC_STATUS_LINE] = "";
    click(id);
    EXPECT_EQ(dialog.status(), statusText(StatusCode::ApplicationNotFound)) << id;
  }
  EXPECT_EQ(system.documentsOpened, std::vector<std::string>{"C:\\varnotek\\QELHELP.PDF"});
  std::remove("QEL.TMP");
  mkdir("QEL.TMP", 0755);  // the report file cannot be created
  mkdir("QEL.SUP", 0755);  // nor the settings file
  click(IDC_VIEW);
  EXPECT_EQ(dialog.status(), statusText(StatusCode::FileOpenError));
  EXPECT_EQ(system.launches.size(), 3u) << "no editor for a report not written";
  click(IDC_QUIT);
  EXPECT_EQ(dialog.endedWith, 0) << "Quit ends without its settings file";
}

// Records 50 us apart from day 123 04:05:06, every third a command word. Find Nearest TTag shows
// the line found and sets View to the ten lines before it; Next advances the occurrence it finds.
TEST_F(DialogTest, FindNearestTTagAndNext) {
  start();
  std::vector<TestRecord> fields;
  for (unsigned i = 0; i < 30; ++i) fields.push_back({halfMicrosAt(123, 4, 5, 6) + 100 * i, i, 0, i % 3 == 0});
  ASSERT_TRUE(writeDataFile("run.qel", testRecords(fields)));
  dialog.texts[IDC_FILE_NAME] = "run.qel";
  const std::pair<int, const char*> tag[] = {
      {IDC_TTAG_DAYS, "123"}, {IDC_TTAG_HOURS, "4"}, {IDC_TTAG_MINUTES, "5"}, {IDC_TTAG_SECONDS, "6"},
      {IDC_TTAG_FRACTION, "00118"}};  // line 25 is at .001200
  for (const auto& field : tag) dialog.texts[field.first] = field.second;
  click(IDC_FIND_TTAG);
  EXPECT_EQ(dialog.texts[IDC_TTAG_LINE], "25");
  EXPECT_EQ(dialog.texts[IDC_VIEW_FROM], "15");
  EXPECT_EQ(dialog.texts[IDC_VIEW_LINES], "20");
  settings.syncChoice = SyncCmd;
  dialog.texts[IDC_OCCURRENCE] = "2";
  click(IDC_NEXT);
  tick(TIMER_TASK);
  EXPECT_EQ(dialog.status(), statusText(StatusCode::Success));
  EXPECT_EQ(dialog.texts[IDC_OCCURRENCE], "3");
  EXPECT_EQ(dialog.texts[IDC_LINE_FOUND], "7");
}

// Two recordings one after the other, the first ended by Stop and the second by Quit: each is the
// generator's words from its start, with no stale half of the first in the second, and Quit's
// final drain keeps the part of the half the card was in. Between them, a lost IRIG-B signal turns
// the light red and a card that no longer answers leaves the time shown alone.
TEST_F(SimDialogTest, StartFindsTheCardAndRecordingsRunUntilStopOrQuit) {
  start();
  EXPECT_TRUE(state.cardPresent);
  EXPECT_EQ(dialog.status(), "Found KOLVA card");
  tick(TIMER_CLOCK);
  EXPECT_TRUE(dialog.visible[IDC_GREEN_LIGHT]);
  startRecording("first.qel");
  EXPECT_EQ(dialog.status(), statusText(StatusCode::Success));
  run(1000);  // 20,000 words: the card is in the upper half, the lower half is stored
  ASSERT_EQ(state.recordingSession.captureHalf, 1);
  EXPECT_EQ(dialog.status().rfind("RECORDING: ", 0), 0u) << dialog.status();
  click(IDC_STOP_RECORDING);
  EXPECT_FALSE(state.recording);
  EXPECT_FALSE(dialog.timerRunning(TIMER_TASK));
  EXPECT_TRUE(state.currentPath.empty());
  EXPECT_EQ(dialog.statusHistory[dialog.statusHistory.size() - 2], "Recording stopped");
  EXPECT_EQ(dialog.status(), statusText(StatusCode::Success));

  kolvaSetIrigSignal(sim->card(), false);
  tick(TIMER_CLOCK);
  EXPECT_TRUE(dialog.visible[IDC_RED_LIGHT]);
  const std::string time = dialog.texts[IDC_TIME_TEXT];
  sim->clock.advance(2'000'000'000);
  sim->driver->setRequestFailing(IOCTL_WD_TRANSFER, true);  // a card that no longer answers: the time stays
  tick(TIMER_CLOCK);
  EXPECT_EQ(dialog.texts[IDC_TIME_TEXT], time);
  sim->driver->setRequestFailing(IOCTL_WD_TRANSFER, false);
  kolvaSetIrigSignal(sim->card(), true);

  startRecording("second.qel");
  run(2300);
  click(IDC_QUIT);
  EXPECT_EQ(dialog.endedWith, 0);
  EXPECT_FALSE(state.recording);
  EXPECT_TRUE(dialog.timers.empty());
  EXPECT_FALSE(sim->card().capturing);
  const size_t bytes = readText("second.qel").size();
  EXPECT_GT(bytes, 16u * 2 * 16384) << "more than the stored halves";
  EXPECT_NE(bytes % (16 * 16384), 0u);
  expectGeneratorSequence("first.qel");
  expectGeneratorSequence("second.qel");
}

// A card command that never completes stops the start; the data file deleted after the first half
// reached it ends the recording when the next half cannot be stored.
TEST_F(SimDialogTest, AStartThatFailsOrADataFileThatGoesAwayEndsWithTheStatus) {
  start();
  const CommandCompletion completion = sim->card().config.completion;
  sim->card().config.completion.mode = CommandCompletion::kNever;
  startRecording("run.qel");
  EXPECT_EQ(dialog.status(), statusText(StatusCode::CannotExecuteCommand));
  EXPECT_FALSE(state.recording);
  EXPECT_FALSE(dialog.timerRunning(TIMER_TASK));
  EXPECT_EQ(readText("run.qel").size(), 0u) << "created empty by the name check";

  sim->card().config.completion = completion;
  startRecording("run.qel");
  run(1000);
  ASSERT_EQ(readText("run.qel").size(), 16384u * 16);
  std::remove("run.qel");
  run(1000);
  EXPECT_FALSE(state.recording);
  EXPECT_EQ(dialog.status(), statusText(StatusCode::FileOpenError));
  EXPECT_FALSE(dialog.timerRunning(TIMER_TASK));
}

// A tick so late that the card wrapped round: the status line says so once, with a beep, the
// recording goes on, and the stop shows the warning instead of "Success"; the next recording
// starts afresh.
TEST_F(SimDialogTest, WordsLostToALateTickAreReportedOnceAndAtTheStop) {
  sim->card().config.traffic.wordsPerSecond = 1000000;
  sim->driver->config.card.traffic.wordsPerSecond = 1000000;
  start();
  startRecording("run.qel");
  run(100);
  const int beeps = dialog.beeps;
  sim->clock.advance(40'000'000);
  run(200);
  const auto warnings = std::count(dialog.statusHistory.begin(), dialog.statusHistory.end(), kBusWordsLostText);
  EXPECT_EQ(warnings, 1);
  EXPECT_EQ(dialog.beeps, beeps + 1);
  EXPECT_TRUE(state.recording);
  EXPECT_EQ(dialog.status().rfind("RECORDING: ", 0), 0u) << "the progress line goes on";
  click(IDC_STOP_RECORDING);
  EXPECT_EQ(dialog.status(), kBusWordsLostText);
  EXPECT_EQ(state.recordingSession.overruns, 1u);
  startRecording("again.qel");  // the next recording starts with none lost
  run(100);
  click(IDC_STOP_RECORDING);
  EXPECT_EQ(dialog.status(), statusText(StatusCode::Success));
}
