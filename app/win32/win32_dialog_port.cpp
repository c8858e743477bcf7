#include "app/win32/win32_dialog_port.h"

std::string Win32DialogPort::controlText(int id) {
  char text[kControlTextMax + 1] = {0};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

void Win32DialogPort::setControlText(int id, const std::string& text) { SetDlgItemTextA(dialog, id, text.c_str()); }

void Win32DialogPort::showControl(int id, bool visible) {
  ShowWindow(GetDlgItem(dialog, id), visible ? SW_SHOW : SW_HIDE);
}

bool Win32DialogPort::isChecked(int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void Win32DialogPort::setChecked(int id, bool checked) {
  CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void Win32DialogPort::checkRadioButton(int firstId, int lastId, int checkedId) {
  CheckRadioButton(dialog, firstId, lastId, checkedId);
}

void Win32DialogPort::startTimer(int timerId, unsigned periodMs) { SetTimer(dialog, timerId, periodMs, nullptr); }

void Win32DialogPort::killTimer(int timerId) { KillTimer(dialog, timerId); }

void Win32DialogPort::endDialog(int result) { EndDialog(dialog, result); }

void Win32DialogPort::beep() { MessageBeep(0xFFFFFFFF); }

void Win32DialogPort::messageBox(const std::string& text, const std::string& caption) {
  // No owner: the dialog and its timers go on while the box is open.
  MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
}

void Win32DialogPort::fillFileList(int comboId, const std::string& pattern) {
  char spec[MAX_PATH];
  lstrcpynA(spec, pattern.c_str(), sizeof spec);
  DlgDirListComboBoxA(dialog, spec, comboId, 0, 0);
}
