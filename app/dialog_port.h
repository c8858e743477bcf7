// What the dialog logic needs of its window. The Win32 implementation is a thin adapter over
// USER32 (app/win32/); tests use a recording implementation.
#pragma once
#include <string>

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
};
