// Recording through the dialog logic on the simulated card, with a clock the test advances, and
// the faults a recording must survive.
#include <sys/stat.h>

#include <algorithm>
#include <memory>

#include "dialog_test_support.h"
#include "res/resource_ids.h"
#include "sim/generated_data_file.h"
#include "tests/support/sim_card_fixture.h"
#include "tests/support/sim_support.h"

namespace {
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
    ASSERT_EQ(writeGeneratedRecords(expected.c_str(), sim->driver->config.card.traffic, recorded.size() / 16, sim->local),
              StatusCode::Success);
    EXPECT_TRUE(recorded == readText(expected)) << path << " differs from the generator's words";
  }
  std::unique_ptr<SimCardFixture> sim;
};
}  // namespace

// Two recordings one after the other: each is the generator's words from its start, with no stale
// half of the first in the second. A lost IRIG-B signal turns the light red; a card that no longer
// answers leaves the time shown alone.
TEST_F(SimDialogTest, StartFindsTheCardAndRecordingsRunUntilStop) {
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
  startRecording("second.qel");
  run(2500);
  click(IDC_STOP_RECORDING);
  expectGeneratorSequence("first.qel");
  expectGeneratorSequence("second.qel");
  EXPECT_GT(readText("second.qel").size(), 16u * 30000);
  kolvaSetIrigSignal(sim->card(), false);
  tick(TIMER_CLOCK);
  EXPECT_TRUE(dialog.visible[IDC_RED_LIGHT]);
  const std::string time = dialog.texts[IDC_TIME_TEXT];
  sim->clock.advance(2'000'000'000);
  sim->driver->setRequestFailing(IOCTL_WD_TRANSFER, true);  // a card that no longer answers: the time stays
  tick(TIMER_CLOCK);
  EXPECT_EQ(dialog.texts[IDC_TIME_TEXT], time);
}

TEST_F(SimDialogTest, QuitDuringARecordingStopsItWithTheFinalDrain) {
  start();
  startRecording("run.qel");
  run(2300);
  click(IDC_QUIT);
  EXPECT_EQ(dialog.endedWith, 0);
  EXPECT_FALSE(state.recording);
  EXPECT_TRUE(dialog.timers.empty());
  const size_t bytes = readText("run.qel").size();
  EXPECT_GT(bytes, 16u * 2 * 16384) << "more than the stored halves";
  EXPECT_NE(bytes % (16 * 16384), 0u);
  expectGeneratorSequence("run.qel");
  EXPECT_EQ(sim->card().capturing, false);
}

TEST_F(SimDialogTest, ADataFileThatGoesAwayEndsTheRecordingWithFive) {
  struct Case {
    const char* what;
    int appenderOpens;  // -1: the real file is deleted or replaced instead
    bool replaceWithFolder;
  };
  const Case cases[] = {{"deleted", -1, false}, {"replaced by a folder", -1, true}, {"read-only or locked", 1, false}};
  for (const Case& c : cases) {
    FaultyAppender refusing;
    if (c.appenderOpens >= 0) refusing.opensAllowed = c.appenderOpens;
    Recorder faulty{dialog, system, state, card, settings, refusing, false};
    dialogInit(faulty);
    dialog.texts[IDC_FILE_NAME] = "run.qel";
    dialogCommand(faulty, IDC_START_RECORDING);
    // The first half reaches the file; then the fault comes between two drains.
    for (int t = 0; t < 250 && state.recordingSession.captureHalf == 0; ++t) {
      sim->clock.advance(4'000'000);
      dialogTimer(faulty, TIMER_TASK);
    }
    ASSERT_EQ(readText("run.qel").size(), 16384u * 16) << c.what;
    if (c.appenderOpens < 0) {
      std::remove("run.qel");
      if (c.replaceWithFolder) mkdir("run.qel", 0755);
    }
    for (int t = 0; t < 500 && state.recording; ++t) {
      sim->clock.advance(4'000'000);
      dialogTimer(faulty, TIMER_TASK);
    }
    EXPECT_FALSE(state.recording) << c.what;
    EXPECT_EQ(dialog.status(), statusText(StatusCode::FileOpenError)) << c.what;
    EXPECT_FALSE(dialog.timerRunning(TIMER_TASK));
    if (c.appenderOpens >= 0) {
      EXPECT_EQ(readText("run.qel").size(), 16384u * 16) << "what was written stays";
    }
    if (c.replaceWithFolder) rmdir("run.qel");
  }
}

TEST_F(SimDialogTest, ACardCommandThatNeverCompletesStopsTheStart) {
  start();
  sim->card().config.completion.mode = CommandCompletion::kNever;
  startRecording("run.qel");
  EXPECT_EQ(dialog.status(), statusText(StatusCode::CannotExecuteCommand));
  EXPECT_FALSE(state.recording);
  EXPECT_FALSE(dialog.timerRunning(TIMER_TASK));
  EXPECT_EQ(readText("run.qel").size(), 0u) << "created empty by the name check";
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
