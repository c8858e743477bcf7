// What the dialog logic needs of the system beyond its window: starting other programs, opening
// documents, the local time and where the program lives. The Win32 implementation is in
// app/win32/; tests use a recording implementation.
#pragma once
#include <string>

#include "common/local_time.h"

struct SystemPort {
  virtual ~SystemPort() = default;
  // WinExec-style: a result below 32 is a failure.
  virtual unsigned launch(const std::string& commandLine, int showMode) = 0;
  // Opens a document with the system's default viewer; false when that fails.
  virtual bool openDocument(const std::string& path) = 0;
  virtual LocalTime localTime() = 0;
  // The folder of the running program (for documents shipped beside it).
  virtual std::string programFolder() = 0;
};
