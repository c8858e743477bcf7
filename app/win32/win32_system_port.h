// The system port over KERNEL32 and SHELL32: WinExec, ShellExecute, the local time and the
// program's own path.
#pragma once
#include "app/system_port.h"

struct Win32SystemPort : SystemPort {
  unsigned launch(const std::string& commandLine, int showMode) override;
  bool openDocument(const std::string& path) override;
  LocalTime localTime() override;
  std::string programFolder() override;
};
