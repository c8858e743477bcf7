#include "app/recorder_dialog.h"

#include "app/dialog_fields.h"
#include "app/file_commands.h"
#include "app/recording_commands.h"
#include "app/search_criteria_controls.h"
#include "app/status_line.h"
#include "app/time_display.h"
#include "card/card_access.h"
#include "card/open_card.h"
#include "res/resource_ids.h"

namespace {
constexpr const char* kHelpCommand = "c:\\program files\\adobe\\reader 8.0\\reader\\AcroRd32.exe QELHELP.PDF";
constexpr const char* kHelpDocument = "QELHELP.PDF";
constexpr const char* kAboutCaption = "Dravelin";
constexpr float kMaxFileSizeStepGB = 5.0f;
constexpr float kLargestFileSizeGB = 50.0f;

void quitCommand(Recorder& recorder) {
  RecorderState& state = recorder.state;
  // A running recording is stopped as Stop Recording does, final drain included, so that nothing
  // the card captured is abandoned.
  stopRecordingCommand(recorder);
  gatherSearchCriteriaFromDialog(recorder.dialog, recorder.settings);
  recorder.settings.irigInput = recorder.dialog.isChecked(IDC_IRIG_INPUT) ? 1 : 0;
  saveSearchSettings(recorder.settings);
  recorder.dialog.killTimer(TIMER_TASK);
  recorder.dialog.killTimer(TIMER_CLOCK);
  recorder.dialog.endDialog(0);
  state.currentPath.clear();
  // The program ends whether or not the card still answers.
  if (state.cardPresent) static_cast<void>(stopCapture(recorder.card));
}

void helpCommand(Recorder& recorder) {
  StatusCode status = StatusCode::Success;
  // The fixed viewer first; when it is absent, the guide beside the program in the default viewer.
  if (recorder.system.launch(kHelpCommand, kShowMaximised) < 32 &&
      !recorder.system.openDocument(recorder.system.programFolder() + kHelpDocument)) {
    status = StatusCode::ApplicationNotFound;
  }
  if (!ok(status)) {
    recorder.state.status = status;
    showStatus(recorder.dialog, IDC_STATUS_LINE, status);
  }
}

void aboutCommand(Recorder& recorder) {
  std::string text =
      "Varnotek bus recorder\n"
      "Recorder and analyser for LDB, MDM, MEC, EIU, MIL-STD-1553 and binary bus words\n\n"
      "Dravelin Torvanel\n"
      "14 Harbour Lane, Kestrel Park\n"
      "Telephone +1 555 0142";
  if (recorder.simulatedCard) text += "\n\nThis build works with a simulated KOLVA card.";
  recorder.dialog.messageBox(text, kAboutCaption);
}

void maxFileSizeCommand(Recorder& recorder) {
  SearchSettings& settings = recorder.settings;
  if (settings.maxFileSizeGB == kLargestFileSizeGB) {
    settings.maxFileSizeGB = kMaxFileSizeStepGB;
  } else {
    settings.maxFileSizeGB += kMaxFileSizeStepGB;
  }
  recorder.state.recordingSession.progress.wordLimit = kRecordsPerGigabyte * settings.maxFileSizeGB;
  recorder.dialog.setControlText(IDC_MAX_SIZE_TEXT, formatMaxFileSize(settings.maxFileSizeGB));
}

void deferFileTask(Recorder& recorder, unsigned id) {
  writeStatusLine(recorder.dialog, kPleaseWaitText);
  recorder.dialog.startTimer(TIMER_TASK, kTaskTimerPeriodMs);
  recorder.state.pendingCommand = static_cast<uint16_t>(id + IDC_DEFERRED_OFFSET);
}

}  // namespace

bool dialogInit(Recorder& recorder) {
  RecorderState& state = recorder.state;
  DialogPort& dialog = recorder.dialog;
  loadSearchSettings(recorder.settings);
  dialog.setChecked(IDC_IRIG_INPUT, recorder.settings.irigInput != 0);
  dialog.checkRadioButton(IDC_FORMAT_LDB, IDC_FORMAT_BINARY, IDC_FORMAT_BINARY);
  refreshFileList(dialog, IDC_FILE_NAME);
  state.recordingSession.captureHalf = 0;
  state.recording = false;
  state.cardPresent = true;
  state.pendingCommand = 0;
  state.viewFrom = 0;
  state.recordingSession.progress.wordsReceived = 0.0f;
  state.recordingSession.progress.progressTicks = 0;
  state.currentPath.clear();
  showSearchCriteria(dialog, recorder.settings);
  state.recordingSession.progress.wordLimit = kRecordsPerGigabyte * recorder.settings.maxFileSizeGB;
  state.lightState = LightRed;
  dialog.startTimer(TIMER_CLOCK, kClockTimerPeriodMs);
  const StatusCode status = openCard(&recorder.card);
  if (!ok(status)) {
    state.status = status;
    showStatus(dialog, IDC_STATUS_LINE, status);
    state.cardPresent = false;
  } else {
    writeStatusLine(dialog, kFoundCardText);
    reinitialiseCard(recorder);
  }
  return true;
}

bool dialogCommand(Recorder& recorder, unsigned id) {
  RecorderState& state = recorder.state;
  // The criteria icons and the gap controls work at any time, also during a recording.
  if (handleCriteriaClick(recorder.dialog, recorder.settings, id)) return true;
  switch (id) {
    case IDC_QUIT:
      quitCommand(recorder);
      return true;
    case IDC_START_RECORDING:
      startRecordingCommand(recorder);
      return true;
    case IDC_STOP_RECORDING:
      stopRecordingCommand(recorder);
      return true;
    case IDC_HELP_BUTTON:
      helpCommand(recorder);
      return true;
    case IDC_ABOUT_ICON:
      aboutCommand(recorder);
      return true;
    case IDC_DEFERRED_FILE_SIZE:
      countRecordsCommand(recorder);
      return true;
    case IDC_DEFERRED_GET_LINE:
    case IDC_DEFERRED_OCCURRENCES:
    case IDC_DEFERRED_NEXT:
      searchCommand(recorder, id);
      return true;
    default:
      break;
  }
  // The file tasks and Max File Size are refused while recording: handled, nothing changes.
  const bool fileTask = id == IDC_MAX_FILE_SIZE || id == IDC_GET_FILE_SIZE || id == IDC_GET_LINE ||
                        id == IDC_GET_OCCURRENCES || id == IDC_NEXT || id == IDC_CONVERT_FILE || id == IDC_VIEW ||
                        id == IDC_FIND_TTAG;
  if (!fileTask) return false;
  if (state.recording) return true;
  switch (id) {
    case IDC_MAX_FILE_SIZE:
      maxFileSizeCommand(recorder);
      break;
    case IDC_CONVERT_FILE:
      convertFileCommand(recorder);
      break;
    case IDC_VIEW:
      viewCommand(recorder);
      break;
    case IDC_FIND_TTAG:
      findTimeTagCommand(recorder);
      break;
    default:
      deferFileTask(recorder, id);
      break;
  }
  return true;
}

bool dialogTimer(Recorder& recorder, unsigned timerId) {
  RecorderState& state = recorder.state;
  if (timerId == TIMER_CLOCK) {
    timeTick(recorder);
  } else if (timerId == TIMER_TASK && state.recording) {
    recordingTick(recorder);
  } else if (timerId == TIMER_TASK && state.pendingCommand != 0) {
    dialogCommand(recorder, state.pendingCommand);
    recorder.dialog.killTimer(TIMER_TASK);
    state.pendingCommand = 0;
    reinitialiseCard(recorder);
  }
  return true;
}
