// Drives the real recorder program from outside, as an operator's clicks would: starts it in a
// fresh working directory, finds its dialog by title, clicks, reads and types into controls.
#pragma once
#include <windows.h>

#include <string>

#include "tests/support/temp_folder.h"

struct RunningApp {
  PROCESS_INFORMATION process{};
  HWND dialog = nullptr;
  std::string workDir;
};

// A new empty folder under the temporary folder.
std::string makeWorkDir(const std::string& tag);

// Starts a program, by its full path or by its name when built beside this test program, in
// workDir and waits for its dialog; false on failure.
bool startApp(RunningApp& app, const std::string& program, const std::string& workDir,
              const std::string& arguments = "");
// Ends the process if it still runs and closes the handles.
void stopApp(RunningApp& app);
// Waits for the process to end; its exit code, or -1 on a time-out.
int waitForExit(RunningApp& app, DWORD milliseconds);

HWND control(const RunningApp& app, int id);
// A button click (BM_CLICK), delivered and handled before it returns.
void clickButton(const RunningApp& app, int id);
// WM_COMMAND sent and handled before it returns; sendCommand(app, id) is a click on a notifying
// icon (notification 0, as the icon sends it).
void sendCommand(const RunningApp& app, WPARAM wParam);
std::string text(const RunningApp& app, int id);
void setText(const RunningApp& app, int id, const std::string& value);
bool isVisible(const RunningApp& app, int id);
bool isChecked(const RunningApp& app, int id);
// Trailing blanks removed.
std::string statusLine(const RunningApp& app);
// Polls until the status line (trimmed) no longer equals `text`; false on a time-out.
bool waitWhileStatus(const RunningApp& app, const std::string& text, DWORD milliseconds);
// Polls until control id's text differs from `text`.
bool waitForTextChange(const RunningApp& app, int id, const std::string& text, DWORD milliseconds);
// Closes every visible top-level window of another process whose title starts as the report
// editor's does (with "QEL" in any case, or "Notepad"); how many there were.
int closeEditorWindows();

// A stand-in document viewer: registerShellOpenNote(".pdf") makes the shell open such documents
// with this test program, which then only writes the document's path to shellOpenNotePath().
std::string shellOpenNotePath();
bool registerShellOpenNote(const std::string& extension);
// Called first by main: true when this run is the stand-in viewer (and it has done its job).
bool runAsShellOpenNote(int argc, char** argv);

// Files are read and written whole with readText and writeBytes.
long long fileSizeOf(const std::string& path);
