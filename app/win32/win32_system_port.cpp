#include "app/win32/win32_system_port.h"

#include <windows.h>

#include <shellapi.h>  // needs windows.h first

unsigned Win32SystemPort::launch(const std::string& commandLine, int showMode) {
  return WinExec(commandLine.c_str(), static_cast<UINT>(showMode));
}

bool Win32SystemPort::openDocument(const std::string& path) {
  const INT_PTR result = reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED));
  return result > 32;
}

LocalTime Win32SystemPort::localTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  LocalTime time;
  time.year = now.wYear;
  time.month = now.wMonth;
  time.day = now.wDay;
  time.hour = now.wHour;
  time.minute = now.wMinute;
  time.second = now.wSecond;
  return time;
}

std::string Win32SystemPort::programFolder() {
  char path[MAX_PATH] = {0};
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path, length);
  const size_t slash = folder.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}
