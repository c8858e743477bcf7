// Recording through the dialog logic on the simulated card, with a clock the test advances, and
// the faults a recording must survive.
#include <algorithm>
#include <cstdio>
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
