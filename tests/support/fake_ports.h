// A dialog port that records every control's text, visibility and check state, the timers, beeps
// and the end; a system port that records launches and opened documents; a file appender that
// fills the disk when told to.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "app/dialog_port.h"
#include "app/system_port.h"
#include "record/file_appender.h"

struct FakeDialogPort : DialogPort {
  std::map<int, std::string> texts;
  std::map<int, bool> visible;
  std::map<int, bool> checked;
  std::map<int, unsigned> timers;  // running timers and their periods
  std::vector<std::string> statusHistory;  // every text written to the status line
  int beeps = 0;
  int endedWith = -1;

  std::string controlText(int id) override { return texts[id].substr(0, kControlTextMax); }
  void setControlText(int id, const std::string& text) override {
    texts[id] = text;
    if (id == 703) statusHistory.push_back(text);
  }
  void showControl(int id, bool show) override { visible[id] = show; }
  bool isChecked(int id) override { return checked[id]; }
  void setChecked(int id, bool on) override { checked[id] = on; }
  void checkRadioButton(int firstId, int lastId, int checkedId) override {
    for (int id = firstId; id <= lastId; ++id) checked[id] = id == checkedId;
  }
  void startTimer(int timerId, unsigned periodMs) override { timers[timerId] = periodMs; }
  void killTimer(int timerId) override { timers.erase(timerId); }
  void endDialog(int result) override { endedWith = result; }
  void beep() override { ++beeps; }
  void messageBox(const std::string&, const std::string&) override {}
  void fillFileList(int, const std::string&) override {}

  std::string status() { return texts[703]; }
  bool timerRunning(int id) const { return timers.count(id) != 0; }
};

struct FakeSystemPort : SystemPort {
  std::vector<std::string> launches;
  std::vector<std::string> documentsOpened;
  unsigned launchResult = 33;
  bool openDocumentResult = true;
  LocalTime now{2026, 12, 6, 21, 0, 0};

  unsigned launch(const std::string& commandLine, int) override {
    launches.push_back(commandLine);
    return launchResult;
  }
  bool openDocument(const std::string& path) override {
    documentsOpened.push_back(path);
    return openDocumentResult;
  }
  LocalTime localTime() override { return now; }
  std::string programFolder() override { return "C:\\varnotek\\"; }
};

// The real appender until the disk fills after `bytesAllowed` bytes.
struct FaultyAppender : FileAppender {
  FileAppender& inner = stdioFileAppender();
  size_t bytesAllowed = SIZE_MAX;
  bool open(const char* path) override { return inner.open(path); }
  size_t write(const void* data, size_t bytes) override {
    const size_t n = bytes < bytesAllowed ? bytes : bytesAllowed;
    bytesAllowed -= n;
    return inner.write(data, n);
  }
  void truncate(int64_t bytes) override { inner.truncate(bytes); }
  int64_t sizeAtOpen() const override { return inner.sizeAtOpen(); }
  void close() override { inner.close(); }
};
