// Drives the real recorder program from outside, as an operator's clicks would: starts it in a
// fresh working directory, finds its dialog by title, clicks, reads and types into controls.
#pragma once
#include <windows.h>

#include <string>

struct RunningApp {
  PROCESS_INFORMATION process{};
  HWND dialog = nullptr;
  std::string workDir;
};

// The folder of this test program (the programs under test are built beside it).
std::string buildFolder();
// A new empty folder under the temporary folder.
std::string makeWorkDir(const std::string& tag);

// Starts exeName (from buildFolder) in workDir and waits for its dialog; false on failure.
bool startApp(RunningApp& app, const std::string& exeName, const std::string& workDir,
              const std::string& arguments = "");
// The same for a program given by its full path.
bool startProgram(RunningApp& app, const std::string& exePath, const std::string& workDir,
                  const std::string& arguments = "");
// Ends the process if it still runs and closes the handles.
void stopApp(RunningApp& app);
// Waits for the process to end; its exit code, or -1 on a time-out.
int waitForExit(RunningApp& app, DWORD milliseconds);

HWND control(const RunningApp& app, int id);
// A button click (BM_CLICK), delivered and handled before it returns.
void clickButton(const RunningApp& app, int id);
// A click on a notifying icon: WM_COMMAND with notification 0, as the icon sends it.
void clickIcon(const RunningApp& app, int id);
// A command posted without waiting (for handlers that open a modal box).
void postCommand(const RunningApp& app, WPARAM wParam);
void sendCommand(const RunningApp& app, WPARAM wParam);
std::string text(const RunningApp& app, int id);
void setText(const RunningApp& app, int id, const std::string& value);
bool isVisible(const RunningApp& app, int id);
bool isEnabled(const RunningApp& app, int id);
bool isChecked(const RunningApp& app, int id);
// Trailing blanks removed.
std::string statusLine(const RunningApp& app);
// Polls until the status line (trimmed) no longer equals `text`; false on a time-out.
bool waitWhileStatus(const RunningApp& app, const std::string& text, DWORD milliseconds);
// Polls until the status line starts with prefix; false on a time-out.
bool waitForStatusPrefix(const RunningApp& app, const std::string& prefix, DWORD milliseconds);
// Polls until control id's text differs from `text`.
bool waitForTextChange(const RunningApp& app, int id, const std::string& text, DWORD milliseconds);
// Lets the program run its timers for a while.
void pause(DWORD milliseconds);
// Closes every top-level window of another process that has this title prefix (e.g. notepad).
int closeWindowsTitled(const std::string& prefix);
// A top-level window of app's process with this exact title, or null.
HWND findProcessWindow(const RunningApp& app, const std::string& title);
// Saves the dialog as a 24-bit BMP; false on failure.
bool saveScreenshot(const RunningApp& app, const std::string& bmpPath);

// A stand-in document viewer: registerShellOpenNote(".pdf") makes the shell open such documents
// with this test program, which then only writes the document's path to shellOpenNotePath().
std::string shellOpenNotePath();
bool registerShellOpenNote(const std::string& extension);
// Called first by main: true when this run is the stand-in viewer (and it has done its job).
bool runAsShellOpenNote(int argc, char** argv);

std::string readFileBytes(const std::string& path);
bool writeFileBytes(const std::string& path, const std::string& bytes);
long long fileSizeOf(const std::string& path);
