// The dialog port over USER32: each call is one lookup and one API call.
#pragma once
#include <windows.h>

#include "app/dialog_port.h"

struct Win32DialogPort : DialogPort {
  HWND dialog = nullptr;

  std::string controlText(int id) override;
  void setControlText(int id, const std::string& text) override;
  void showControl(int id, bool visible) override;
  bool isChecked(int id) override;
  void setChecked(int id, bool checked) override;
  void checkRadioButton(int firstId, int lastId, int checkedId) override;
  void startTimer(int timerId, unsigned periodMs) override;
  void killTimer(int timerId) override;
  void endDialog(int result) override;
  void beep() override;
  void messageBox(const std::string& text, const std::string& caption) override;
  void fillFileList(int comboId, const std::string& pattern) override;
};
