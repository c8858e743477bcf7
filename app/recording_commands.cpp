#include "app/recording_commands.h"

#include "app/dialog_fields.h"
#include "app/recorder_dialog.h"
#include "app/status_line.h"
#include "card/recorder_setup.h"
#include "res/resource_ids.h"

void reinitialiseCard(Recorder& recorder) {
  reinitialiseRecorder(recorder.card, recorder.state.cardPresent, recorder.settings.irigInput,
                       recorder.dialog.localTime());
}

void startRecordingCommand(Recorder& recorder) {
  RecorderState& state = recorder.state;
  if (!state.cardPresent || state.recording) return;
  state.progress.progressTicks = 0;
  recorder.settings.irigInput = recorder.dialog.isChecked(IDC_IRIG_INPUT) ? 1 : 0;
  StatusCode status = checkDataFileName(recorder, true);
  if (ok(status)) status = setUpRecorder(recorder.card, recorder.settings.irigInput);
  if (ok(status)) {
    // The set-up puts the card's write pointer at the ring start: a half left over from an
    // earlier recording must never reach the new file.
    state.captureHalf = 0;
    recorder.dialog.startTimer(TIMER_TASK, kTaskTimerPeriodMs);
    state.recording = true;
    status = loadTimeAndStart(recorder.card, recorder.settings.irigInput, recorder.dialog.localTime());
    state.progress.wordsReceived = 0.0f;
  }
  state.status = status;
  showStatus(recorder.dialog, IDC_STATUS_LINE, status);
}

void stopRecordingCommand(Recorder& recorder) {
  RecorderState& state = recorder.state;
  if (!state.recording) return;
  writeStatusLine(recorder.dialog, kRecordingStoppedText);
  state.recording = false;
  recorder.dialog.killTimer(TIMER_TASK);
  refreshFileList(recorder.dialog, IDC_FILE_NAME);
  state.status = stopAndDrain(recorder.card, state.currentPath, recorder.appender);
  showStatus(recorder.dialog, IDC_STATUS_LINE, state.status);
  reinitialiseCard(recorder);
  state.currentPath.clear();
}

void recordingTick(Recorder& recorder) {
  RecorderState& state = recorder.state;
  state.previousHalf = state.captureHalf;
  double shown = -1.0;
  const StatusCode status =
      recordingTickStep(recorder.card, state.currentPath, state.captureHalf, recorder.appender, state.progress, &shown);
  if (shown >= 0.0) writeStatusLine(recorder.dialog, formatProgressLine(shown));
  if (!ok(status)) {
    state.recording = false;
    recorder.dialog.killTimer(TIMER_TASK);
    state.status = status;
    showStatus(recorder.dialog, IDC_STATUS_LINE, status);
    reinitialiseCard(recorder);
    state.currentPath.clear();
  }
}
