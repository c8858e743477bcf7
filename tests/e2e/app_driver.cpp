#include "app_driver.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {
constexpr const char* kDialogTitle = "DRAVELIN TORVANEL";

struct WindowSearch {
  DWORD processId;
  std::string title;
  HWND found;
};

BOOL CALLBACK matchProcessWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char title[256] = {0};
  GetWindowTextA(window, title, sizeof title);
  if (owner == search->processId && search->title == title) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

struct TitleClose {
  std::string prefix;
  DWORD ownProcess;
  int closed;
};

BOOL CALLBACK closeTitled(HWND window, LPARAM param) {
  auto* close = reinterpret_cast<TitleClose*>(param);
  char title[256] = {0};
  GetWindowTextA(window, title, sizeof title);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != close->ownProcess && std::string(title).rfind(close->prefix, 0) == 0 && IsWindowVisible(window)) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    ++close->closed;
  }
  return TRUE;
}

std::string trimRight(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}
}  // namespace

std::string buildFolder() {
  char path[MAX_PATH] = {0};
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path);
  return folder.substr(0, folder.find_last_of("\\/") + 1);
}

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

bool startApp(RunningApp& app, const std::string& exeName, const std::string& workDir, const std::string& arguments) {
  return startProgram(app, buildFolder() + exeName, workDir, arguments);
}

bool startProgram(RunningApp& app, const std::string& exePath, const std::string& workDir,
                  const std::string& arguments) {
  app.workDir = workDir;
  std::string commandLine = "\"" + exePath + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, workDir.c_str(), &startup,
                      &app.process)) {
    return false;
  }
  for (int i = 0; i < 400 && app.dialog == nullptr; ++i) {
    app.dialog = findProcessWindow(app, kDialogTitle);
    if (app.dialog == nullptr) Sleep(50);
  }
  if (app.dialog == nullptr) return false;
  // The window exists before its initialisation ends; it becomes visible only afterwards.
  for (int i = 0; i < 400 && !IsWindowVisible(app.dialog); ++i) Sleep(25);
  DWORD_PTR result = 0;
  SendMessageTimeoutA(app.dialog, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result);
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

void clickButton(const RunningApp& app, int id) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(control(app, id), BM_CLICK, 0, 0, SMTO_NORMAL, 120000, &result);
}

void clickIcon(const RunningApp& app, int id) { sendCommand(app, MAKEWPARAM(id, 0)); }

void sendCommand(const RunningApp& app, WPARAM wParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(app.dialog, WM_COMMAND, wParam, reinterpret_cast<LPARAM>(control(app, LOWORD(wParam))),
                      SMTO_NORMAL, 120000, &result);
}

void postCommand(const RunningApp& app, WPARAM wParam) {
  PostMessageA(app.dialog, WM_COMMAND, wParam, reinterpret_cast<LPARAM>(control(app, LOWORD(wParam))));
}

std::string text(const RunningApp& app, int id) {
  char buffer[512] = {0};
  DWORD_PTR result = 0;
  SendMessageTimeoutA(control(app, id), WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_NORMAL,
                      30000, &result);
  return buffer;
}

void setText(const RunningApp& app, int id, const std::string& value) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(control(app, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()), SMTO_NORMAL, 30000,
                      &result);
}

bool isVisible(const RunningApp& app, int id) { return IsWindowVisible(control(app, id)) != FALSE; }
bool isEnabled(const RunningApp& app, int id) { return IsWindowEnabled(control(app, id)) != FALSE; }
bool isChecked(const RunningApp& app, int id) { return IsDlgButtonChecked(app.dialog, id) == BST_CHECKED; }

std::string statusLine(const RunningApp& app) { return trimRight(text(app, 703)); }

namespace {
// Polls every 20 ms until `done` holds; false on a time-out.
template <typename Condition>
bool waitUntil(Condition done, DWORD milliseconds) {
  for (DWORD waited = 0; waited <= milliseconds; waited += 20) {
    if (done()) return true;
    Sleep(20);
  }
  return false;
}
}  // namespace

bool waitWhileStatus(const RunningApp& app, const std::string& value, DWORD milliseconds) {
  return waitUntil([&] { return statusLine(app) != value; }, milliseconds);
}

bool waitForStatusPrefix(const RunningApp& app, const std::string& prefix, DWORD milliseconds) {
  return waitUntil([&] { return statusLine(app).rfind(prefix, 0) == 0; }, milliseconds);
}

bool waitForTextChange(const RunningApp& app, int id, const std::string& value, DWORD milliseconds) {
  return waitUntil([&] { return text(app, id) != value; }, milliseconds);
}

void pause(DWORD milliseconds) { Sleep(milliseconds); }

int closeWindowsTitled(const std::string& prefix) {
  TitleClose close{prefix, GetCurrentProcessId(), 0};
  EnumWindows(closeTitled, reinterpret_cast<LPARAM>(&close));
  return close.closed;
}

HWND findProcessWindow(const RunningApp& app, const std::string& title) {
  WindowSearch search{app.process.dwProcessId, title, nullptr};
  EnumWindows(matchProcessWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool saveScreenshot(const RunningApp& app, const std::string& bmpPath) {
  RECT rect;
  if (!GetWindowRect(app.dialog, &rect)) return false;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);

  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const int rowBytes = ((width * 3 + 3) / 4) * 4;
  std::string pixels(static_cast<size_t>(rowBytes) * height, '\0');
  GetDIBits(memory, bitmap, 0, height, &pixels[0], reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  BITMAPFILEHEADER fileHeader{};
  fileHeader.bfType = 0x4D42;
  fileHeader.bfOffBits = sizeof fileHeader + sizeof header;
  fileHeader.bfSize = fileHeader.bfOffBits + static_cast<DWORD>(pixels.size());
  std::ofstream out(bmpPath, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&fileHeader), sizeof fileHeader);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  return static_cast<bool>(out);
}

std::string readFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool writeFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
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

bool setClassesText(const std::string& key, const std::string& value) {
  HKEY handle = nullptr;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const LONG written = RegSetValueExA(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                      static_cast<DWORD>(value.size() + 1));
  RegCloseKey(handle);
  return written == ERROR_SUCCESS;
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
  writeFileBytes(shellOpenNotePath(), argv[2]);
  return true;
}
