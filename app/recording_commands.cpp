#include "app/recording_commands.h"

#include "app/dialog_fields.h"
#include "app/recorder_dialog.h"
#include "app/status_line.h"
#include "card/recorder_setup.h"
#include "res/resource_ids.h"

namespace {
// Every end of a recording but the operator's: the status shown, the card back to idle.
void endFailedRecording(Recorder& recorder, StatusCode status) {
  RecorderState& state = recorder.state;
  state.recording = false;
  recorder.dialog.killTimer(TIMER_TASK);
  state.status = status;
  showStatus(recorder.dialog, IDC_STATUS_LINE, status);
  reinitialiseCard(recorder);
  state.currentPath.clear();
}

// The data-loss warning, which the status line shows like a status: with a beep.
void showBusWordsLost(DialogPort& dialog) {
  writeStatusLine(dialog, kBusWordsLostText);
  dialog.beep();
}
}  // namespace

void reinitialiseCard(Recorder& recorder) {
  reinitialiseRecorder(recorder.card, recorder.state.cardPresent, recorder.settings.irigInput,
                       recorder.system.localTime());
}

void startRecordingCommand(Recorder& recorder) {
  RecorderState& state = recorder.state;
  if (!state.cardPresent || state.recording) return;
  recorder.settings.irigInput = recorder.dialog.isChecked(IDC_IRIG_INPUT) ? 1 : 0;
  StatusCode status = checkDataFileName(recorder, true);
  if (!ok(status)) {
    state.status = status;
    showStatus(recorder.dialog, IDC_STATUS_LINE, status);
    return;
  }
  state.recordingSession.path = state.currentPath;
  status = startRecordingSession(recorder.card, state.recordingSession, recorder.settings.irigInput,
                                 recorder.system.localTime());
  if (!ok(status)) {
    // A card that does not take the start leaves no recording.
    endFailedRecording(recorder, status);
    return;
  }
  recorder.dialog.startTimer(TIMER_TASK, kTaskTimerPeriodMs);
  state.recording = true;
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
  state.status = stopAndDrain(recorder.card, state.recordingSession, recorder.appender);
  // A recording that lost words does not end on "Success".
  if (ok(state.status) && state.recordingSession.overruns > 0) {
    showBusWordsLost(recorder.dialog);
  } else {
    showStatus(recorder.dialog, IDC_STATUS_LINE, state.status);
  }
  reinitialiseCard(recorder);
  state.currentPath.clear();
}

void recordingTick(Recorder& recorder) {
  RecorderState& state = recorder.state;
  TickReport report;
  const StatusCode status = recordingTickStep(recorder.card, state.recordingSession, recorder.appender, report);
  if (report.lineWords >= 0.0) writeStatusLine(recorder.dialog, formatProgressLine(report.lineWords));
  if (report.firstOverrun) showBusWordsLost(recorder.dialog);
  if (!ok(status)) endFailedRecording(recorder, status);
}
