#include "app/file_commands.h"

#include <cstdio>

#include "app/dialog_fields.h"
#include "app/search_criteria_controls.h"
#include "app/status_line.h"
#include "common/decimal_field.h"
#include "files/dump_conversion.h"
#include "files/record_count.h"
#include "files/report.h"
#include "index/index_build.h"
#include "res/resource_ids.h"
#include "search/pattern_search.h"
#include "search/time_search.h"

namespace {
constexpr double kLargestViewField = 1e18;  // far beyond any file; keeps the conversion defined
constexpr int64_t kFoundLineContext = 10;   // records shown before the one found
constexpr const char* kFoundLineViewLines = "20";
constexpr const char* kNoneFound = "None Found";

std::string formatCount(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.f", value);
  return text;
}

std::string formatLine(uint64_t value) {
  char text[32];
  std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(value));
  return text;
}

// A View field: digits only, not empty, not 0.
StatusCode readViewField(Recorder& recorder, int id, int64_t& value) {
  const std::string text = recorder.dialog.controlText(id);
  uint16_t syntaxError = 0;
  double parsed = parseDecimalField(text.c_str(), syntaxError);
  if (parsed > kLargestViewField) parsed = kLargestViewField;
  value = static_cast<int64_t>(parsed);
  return (syntaxError != 0 || value == 0) ? StatusCode::SyntaxError : StatusCode::Success;
}
}  // namespace

void viewCommand(Recorder& recorder) {
  RecorderState& state = recorder.state;
  StatusCode status = readViewField(recorder, IDC_VIEW_FROM, state.viewFrom);
  if (ok(status)) status = checkDataFileName(recorder, false);
  StackFormat format = StackFormat::BinaryHex;
  if (ok(status)) format = selectedStackFormat(recorder.dialog);
  if (ok(status)) status = readViewField(recorder, IDC_VIEW_LINES, state.viewLines);
  if (ok(status)) status = writeReport(state.currentPath, kReportFileName, format, state.viewFrom, state.viewLines);
  if (ok(status) && recorder.system.launch(kEditorCommand, kShowMaximised) < 32) {
    status = StatusCode::ApplicationNotFound;
  }
  state.status = status;
  showStatus(recorder.dialog, IDC_STATUS_LINE, status);
}

void countRecordsCommand(Recorder& recorder) {
  StatusCode status = checkDataFileName(recorder, false);
  uint64_t count = 0;
  if (ok(status)) status = countRecords(recorder.state.currentPath, count);
  if (ok(status)) recorder.dialog.setControlText(IDC_FILE_SIZE_TEXT, formatLine(count));
  recorder.state.status = status;
  showStatus(recorder.dialog, IDC_STATUS_LINE, status);
}

void convertFileCommand(Recorder& recorder) {
  const std::string fileBoxText = recorder.dialog.controlText(IDC_FILE_NAME);
  const StatusCode status = convertDump(fileBoxText);
  if (ok(status)) {
    // The saved index beside the new data file (one block): it changes nothing if it cannot be made.
    std::string dumpPath, dataPath;
    dumpNamesFor(fileBoxText, dumpPath, dataPath);
    IndexRefresh refresh;
    refreshDataFileIndex(dataPath, refresh);
  }
  refreshFileList(recorder.dialog, IDC_FILE_NAME);
  recorder.state.status = status;
  showStatus(recorder.dialog, IDC_STATUS_LINE, status);
}

void searchCommand(Recorder& recorder, unsigned deferredId) {
  SearchSettings& settings = recorder.settings;
  DialogPort& dialog = recorder.dialog;
  const bool next = deferredId == IDC_DEFERRED_NEXT;
  settings.searchMode = deferredId == IDC_DEFERRED_OCCURRENCES ? 1 : 0;
  StatusCode status = checkDataFileName(recorder, false);
  if (ok(status)) status = gatherSearchCriteriaFromDialog(dialog, settings);
  if (ok(status) && next) settings.occurrence += 1.0;
  if (ok(status)) status = searchPattern(recorder.state.currentPath, settings);
  if (ok(status)) {
    const bool found = settings.searchResult != 0.0;
    const std::string result = found ? formatCount(settings.searchResult) : kNoneFound;
    if (deferredId == IDC_DEFERRED_OCCURRENCES) {
      dialog.setControlText(IDC_OCCURRENCE_COUNT, result);
    } else {
      if (next && found) dialog.setControlText(IDC_OCCURRENCE, formatCount(settings.occurrence));
      dialog.setControlText(IDC_LINE_FOUND, result);
    }
  }
  recorder.state.status = status;
  showStatus(dialog, IDC_STATUS_LINE, status);
}

void findTimeTagCommand(Recorder& recorder) {
  RecorderState& state = recorder.state;
  double target = 0.0;
  uint64_t line = 0;
  StatusCode status = readTimeTagFields(recorder.dialog, target);
  if (ok(status)) status = checkDataFileName(recorder, false);
  if (ok(status)) status = findTimeTag(state.currentPath, target, line);
  if (ok(status)) {
    recorder.dialog.setControlText(IDC_TTAG_LINE, formatLine(line));
    const int64_t found = static_cast<int64_t>(line);
    state.viewFrom = found > kFoundLineContext ? found - kFoundLineContext : 1;
    recorder.dialog.setControlText(IDC_VIEW_FROM, formatLine(static_cast<uint64_t>(state.viewFrom)));
    recorder.dialog.setControlText(IDC_VIEW_LINES, kFoundLineViewLines);
  }
  state.status = status;
  showStatus(recorder.dialog, IDC_STATUS_LINE, status);
}
