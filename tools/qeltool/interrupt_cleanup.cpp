#include "tools/qeltool/interrupt_cleanup.h"

#include <csignal>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

namespace {

// The handler may only read plain memory, so the paths live in fixed slots.
constexpr int kSlots = 8;
constexpr size_t kPathCapacity = 4096;
char slotPaths[kSlots][kPathCapacity];
volatile std::sig_atomic_t slotUsed[kSlots];
int usedSlots = 0;

void removeRegisteredFiles() {
  for (int i = 0; i < kSlots; ++i) {
    if (slotUsed[i] == 0) continue;
#ifdef _WIN32
    // The file was opened with FILE_SHARE_DELETE: it goes when the process closes it.
    DeleteFileA(slotPaths[i]);
#else
    unlink(slotPaths[i]);
#endif
  }
}

#ifdef _WIN32

BOOL WINAPI removeOnConsoleEvent(DWORD) {
  removeRegisteredFiles();
  return FALSE;  // the next handler, in the end the system's, ends the process
}

void installHandlers() { SetConsoleCtrlHandler(removeOnConsoleEvent, TRUE); }
void restoreHandlers() { SetConsoleCtrlHandler(removeOnConsoleEvent, FALSE); }

#else

const int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];
struct sigaction previousActions[kSignalCount];
bool replaced[kSignalCount];

extern "C" void removeAndEnd(int signal) {
  removeRegisteredFiles();
  // SA_RESETHAND has put the default action back: the signal now ends the process.
  raise(signal);
}

void installHandlers() {
  struct sigaction action {};
  action.sa_handler = removeAndEnd;
  sigemptyset(&action.sa_mask);
  for (const int signal : kSignals) sigaddset(&action.sa_mask, signal);
  action.sa_flags = SA_RESETHAND;
  for (int i = 0; i < kSignalCount; ++i) {
    replaced[i] = false;
    if (sigaction(kSignals[i], nullptr, &previousActions[i]) != 0) continue;
    if (previousActions[i].sa_handler == SIG_IGN) continue;  // e.g. nohup: stays ignored
    replaced[i] = sigaction(kSignals[i], &action, nullptr) == 0;
  }
}

void restoreHandlers() {
  for (int i = 0; i < kSignalCount; ++i) {
    if (replaced[i]) sigaction(kSignals[i], &previousActions[i], nullptr);
    replaced[i] = false;
  }
}

#endif

}  // namespace

bool registerTemporaryFile(const std::string& path) {
  if (path.size() >= kPathCapacity) return false;
  for (int i = 0; i < kSlots; ++i) {
    if (slotUsed[i] != 0) continue;
    std::memcpy(slotPaths[i], path.c_str(), path.size() + 1);
    slotUsed[i] = 1;
    if (usedSlots++ == 0) installHandlers();
    return true;
  }
  return false;
}

void unregisterTemporaryFile(const std::string& path) {
  for (int i = 0; i < kSlots; ++i) {
    if (slotUsed[i] == 0 || path != slotPaths[i]) continue;
    slotUsed[i] = 0;
    if (--usedSlots == 0) restoreHandlers();
    return;
  }
}
