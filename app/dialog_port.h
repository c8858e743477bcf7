// What the dialog logic needs of the window system. The Win32 implementation is a thin adapter
// over USER32 and KERNEL32 (app/win32/); tests use a recording implementation.
#pragma once
#include <string>

#include "common/local_time.h"

constexpr int kControlTextMax = 59;  // control texts are read with a 60-byte buffer

struct DialogPort {
  virtual ~DialogPort() = default;
  // At most 59 characters.
  virtual std::string controlText(int id) = 0;
  virtual void setControlText(int id, const std::string& text) = 0;
  virtual void showControl(int id, bool visible) = 0;
  virtual bool isChecked(int id) = 0;
  virtual void setChecked(int id, bool checked) = 0;
  virtual void checkRadioButton(int firstId, int lastId, int checkedId) = 0;
  virtual void startTimer(int timerId, unsigned periodMs) = 0;
  virtual void killTimer(int timerId) = 0;
  virtual void endDialog(int result) = 0;
  virtual void beep() = 0;
  // Caption and text; OK button, no icon, no owner.
  virtual void messageBox(const std::string& text, const std::string& caption) = 0;
  // Fills the combo box's list with the ordinary files of the working directory matching pattern.
  virtual void fillFileList(int comboId, const std::string& pattern) = 0;
  // WinExec-style: a result below 32 is a failure.
  virtual unsigned launch(const std::string& commandLine, int showMode) = 0;
  // Opens a document with the system's default viewer; false when that fails.
  virtual bool openDocument(const std::string& path) = 0;
  virtual LocalTime localTime() = 0;
  // The folder of the running program (for documents shipped beside it).
  virtual std::string programFolder() = 0;
};
