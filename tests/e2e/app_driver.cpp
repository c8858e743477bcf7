#include "app_driver.h"

#include <sstream>

namespace {
constexpr const char* kDialogTitle = "DRAVELIN TORVANEL";

// Calls visit(window, owning process, title) for each top-level window until it returns false.
template <typename Visit>
BOOL CALLBACK visitWindow(HWND window, LPARAM param) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char title[256] = {0};
  GetWindowTextA(window, title, sizeof title);
  return (*reinterpret_cast<Visit*>(param))(window, owner, std::string(title)) ? TRUE : FALSE;
}

template <typename Visit>
void forEachWindow(Visit visit) {
  EnumWindows(visitWindow<Visit>, reinterpret_cast<LPARAM>(&visit));
}

HWND findProcessWindow(const RunningApp& app, const std::string& title) {
  HWND found = nullptr;
  forEachWindow([&](HWND window, DWORD owner, const std::string& windowTitle) {
    if (owner == app.process.dwProcessId && windowTitle == title) found = window;
    return found == nullptr;
  });
  return found;
}

std::string trimRight(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// Polls every 20 ms until `done` holds; false on a time-out.
template <typename Condition>
bool waitUntil(Condition done, DWORD milliseconds) {
  for (DWORD waited = 0; waited <= milliseconds; waited += 20) {
    if (done()) return true;
    Sleep(20);
  }
  return false;
}

// A message sent and handled before it returns (or given up after two minutes).
void sendAndWait(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 120000, &result);
}

// The folder of this test program (the programs under test are built beside it).
std::string buildFolder() {
  char path[MAX_PATH] = {0};
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path);
  return folder.substr(0, folder.find_last_of("\\/") + 1);
}
}  // namespace

std::string makeWorkDir(const std::string& tag) {
  // Wine reuses small process ids from run to run: take the first name that is not there yet.
  static int counter = 0;
  char temp[MAX_PATH] = {0};
  GetTempPathA(sizeof temp, temp);
  for (;;) {
    std::ostringstream name;
    name << temp << "varnotek-" << tag << "-" << GetCurrentProcessId() << "-" << GetTickCount() << "-" << ++counter;
    if (CreateDirectoryA(name.str().c_str(), nullptr)) return name.str();
  }
}

bool startApp(RunningApp& app, const std::string& program, const std::string& workDir, const std::string& arguments) {
  app.workDir = workDir;
  const bool fullPath = program.find_first_of("\\/") != std::string::npos;
  std::string commandLine = "\"" + (fullPath ? program : buildFolder() + program) + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, workDir.c_str(), &startup,
                      &app.process)) {
    return false;
  }
  if (!waitUntil([&] { return (app.dialog = findProcessWindow(app, kDialogTitle)) != nullptr; }, 20000)) return false;
  // The window exists before its initialisation ends; it becomes visible only afterwards.
  waitUntil([&] { return IsWindowVisible(app.dialog) != FALSE; }, 10000);
  sendAndWait(app.dialog, WM_NULL, 0, 0);
  return IsWindowVisible(app.dialog) != FALSE;
}

void stopApp(RunningApp& app) {
  if (app.process.hProcess != nullptr) {
    if (WaitForSingleObject(app.process.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(app.process.hProcess, 99);
      WaitForSingleObject(app.process.hProcess, 5000);
    }
    CloseHandle(app.process.hProcess);
    CloseHandle(app.process.hThread);
  }
  app.process = PROCESS_INFORMATION{};
  app.dialog = nullptr;
}

int waitForExit(RunningApp& app, DWORD milliseconds) {
  if (WaitForSingleObject(app.process.hProcess, milliseconds) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(app.process.hProcess, &code);
  return static_cast<int>(code);
}

HWND control(const RunningApp& app, int id) { return GetDlgItem(app.dialog, id); }

void clickButton(const RunningApp& app, int id) { sendAndWait(control(app, id), BM_CLICK, 0, 0); }

void sendCommand(const RunningApp& app, WPARAM wParam) {
  sendAndWait(app.dialog, WM_COMMAND, wParam, reinterpret_cast<LPARAM>(control(app, LOWORD(wParam))));
}

std::string text(const RunningApp& app, int id) {
  char buffer[512] = {0};
  sendAndWait(control(app, id), WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

void setText(const RunningApp& app, int id, const std::string& value) {
  sendAndWait(control(app, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
}

bool isVisible(const RunningApp& app, int id) { return IsWindowVisible(control(app, id)) != FALSE; }
bool isChecked(const RunningApp& app, int id) { return IsDlgButtonChecked(app.dialog, id) == BST_CHECKED; }

std::string statusLine(const RunningApp& app) { return trimRight(text(app, 703)); }

bool waitWhileStatus(const RunningApp& app, const std::string& value, DWORD milliseconds) {
  return waitUntil([&] { return statusLine(app) != value; }, milliseconds);
}

bool waitForTextChange(const RunningApp& app, int id, const std::string& value, DWORD milliseconds) {
  return waitUntil([&] { return text(app, id) != value; }, milliseconds);
}

int closeEditorWindows() {
  int closed = 0;
  forEachWindow([&](HWND window, DWORD owner, const std::string& title) {
    if (owner != GetCurrentProcessId() && IsWindowVisible(window) &&
        (_strnicmp(title.c_str(), "QEL", 3) == 0 || title.rfind("Notepad", 0) == 0)) {
      PostMessageA(window, WM_CLOSE, 0, 0);
      ++closed;
    }
    return true;
  });
  return closed;
}

long long fileSizeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string shellOpenNotePath() {
  char temp[MAX_PATH] = {0};
  GetTempPathA(sizeof temp, temp);
  return std::string(temp) + "varnotek-shell-opened.txt";
}

namespace {
constexpr const char* kShellOpenNoteSwitch = "--note-shell-open";

// Sets the default value of a key under HKEY_CLASSES_ROOT, making the key if need be.
bool setClassesText(const std::string& key, const std::string& value) {
  return RegSetValueA(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, value.c_str(), 0) == ERROR_SUCCESS;
}
}  // namespace

bool registerShellOpenNote(const std::string& extension) {
  char self[MAX_PATH] = {0};
  GetModuleFileNameA(nullptr, self, sizeof self);
  const std::string kind = "VarnotekTest.ShellOpenNote";
  return setClassesText(extension, kind) &&
         setClassesText(kind + "\\shell\\open\\command",
                        "\"" + std::string(self) + "\" " + kShellOpenNoteSwitch + " \"%1\"");
}

bool runAsShellOpenNote(int argc, char** argv) {
  if (argc != 3 || std::string(argv[1]) != kShellOpenNoteSwitch) return false;
  const std::string given = argv[2];
  writeBytes(shellOpenNotePath(), Bytes(given.begin(), given.end()));
  return true;
}
