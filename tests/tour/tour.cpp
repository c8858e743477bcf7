// A short guided tour of the simulated recorder for the run command without a display: records a
// few seconds, then counts, searches, finds a time and views, printing every status line. At each
// "screenshot NAME" line it prints it waits a second, for scripts/run.sh to take the screen.
#include <cstdio>
#include <string>

#include "res/resource_ids.h"
#include "tests/e2e/app_driver.h"

namespace {
RunningApp app;

void say(const std::string& step) {
  std::printf("%-34s %s\n", step.c_str(), statusLine(app).c_str());
  std::fflush(stdout);
}

void shoot(const std::string& name) {
  std::printf("screenshot %s\n", name.c_str());
  std::fflush(stdout);
  Sleep(1000);
}

void deferred(int id, const std::string& step) {
  clickButton(app, id);
  waitWhileStatus(app, "Processing task may take a while - PLEASE WAIT", 60000);
  say(step);
}
}  // namespace

int main(int argc, char** argv) {
  const std::string workDir = argc > 1 ? argv[1] : makeWorkDir("tour");
  const int recordSeconds = argc > 2 ? std::atoi(argv[2]) : 4;
  if (!startApp(app, "varnotek-sim.exe", workDir)) {
    std::printf("the recorder did not start\n");
    return 1;
  }
  Sleep(1500);
  say("start");
  std::printf("%-34s %s\n", "time", text(app, IDC_TIME_TEXT).c_str());
  shoot("dialog");

  setText(app, IDC_FILE_NAME, "tour.qel");
  clickButton(app, IDC_START_RECORDING);
  say("Start Recording");
  for (int s = 0; s < recordSeconds; ++s) {
    Sleep(1000);
    say("recording");
  }
  shoot("recording");
  clickButton(app, IDC_STOP_RECORDING);
  say("Stop Recording");
  setText(app, IDC_FILE_NAME, "tour.qel");  // the list refresh at the stop empties the box

  deferred(IDC_GET_FILE_SIZE, "Get File Size");
  std::printf("%-34s %s\n", "  records", text(app, IDC_FILE_SIZE_TEXT).c_str());
  sendCommand(app, IDC_SYNC_FIRST + 2);  // ANY -> CMD
  deferred(IDC_GET_OCCURRENCES, "Get Number Of Ocurrences (CMD)");
  std::printf("%-34s %s\n", "  command words", text(app, IDC_OCCURRENCE_COUNT).c_str());
  setText(app, IDC_OCCURRENCE, "100");
  deferred(IDC_GET_LINE, "Get Line (100th command word)");
  std::printf("%-34s %s\n", "  line", text(app, IDC_LINE_FOUND).c_str());

  clickButton(app, IDC_FIND_TTAG);
  say("Find Nearest TTag (all fields empty)");
  std::printf("%-34s %s\n", "  found at line", text(app, IDC_TTAG_LINE).c_str());
  setText(app, IDC_VIEW_FROM, text(app, IDC_LINE_FOUND));
  setText(app, IDC_VIEW_LINES, "12");
  clickButton(app, IDC_FORMAT_MDM);
  clickButton(app, IDC_VIEW);
  say("View (MDM)");
  shoot("after-view");
  const std::string report = readText(workDir + "\\QEL.TMP");
  std::printf("--- QEL.TMP ---\n%s--- end ---\n", report.substr(0, 3000).c_str());
  Sleep(500);
  closeEditorWindows();

  clickButton(app, IDC_QUIT);
  const int code = waitForExit(app, 20000);
  std::printf("%-34s exit code %d\n", "Quit", code);
  stopApp(app);
  return code == 0 ? 0 : 1;
}
