// The program's entry point: a hidden, disabled main window whose creation opens the recorder
// dialog "VARNOTEK" as a modal dialog. The program lives inside that dialog.
#include <windows.h>

#include <memory>

#include "app/recorder_dialog.h"
#include "app/win32/win32_dialog_port.h"
#include "app/win32/win32_system_port.h"
#include "card/card_session.h"
#include "record/file_appender.h"
#include "search/search_settings.h"

#ifdef VARNOTEK_SIMULATED_CARD
#include "sim/sim_driver.h"
#else
#include "card/win32/driver_port_win32.h"
#endif

namespace {
HWND mainWindow = nullptr;  // still null while the dialog runs, so the About box has no owner
HINSTANCE appInstance = nullptr;
WNDCLASSA windowClass;
MSG message;

// The one instance of each state record.
RecorderState recorderState;
CardSession cardSession;
SearchSettings searchSettings;
Win32DialogPort dialogPort;
Win32SystemPort systemPort;

#ifdef VARNOTEK_SIMULATED_CARD
DriverPort& driverPort() {
  static std::unique_ptr<SimDriver> driver = makeDemoSimDriver([] { return systemPort.localTime(); });
  return *driver;
}
constexpr bool kSimulatedCard = true;
#else
DriverPort& driverPort() { return windowsDriverPort(); }
constexpr bool kSimulatedCard = false;
#endif

Recorder recorder{dialogPort, systemPort, recorderState, cardSession, searchSettings, stdioFileAppender(), kSimulatedCard};
}  // namespace

extern "C" INT_PTR CALLBACK QEL_Dlg(HWND dialog, UINT msg, WPARAM wParam, LPARAM /*lParam*/) {
  dialogPort.dialog = dialog;
  switch (msg) {
    case WM_INITDIALOG:
      cardSession.port = &driverPort();
      return dialogInit(recorder);
    case WM_COMMAND:
      return dialogCommand(recorder, static_cast<unsigned>(wParam));
    case WM_TIMER:
      return dialogTimer(recorder, static_cast<unsigned>(wParam));
    default:
      return FALSE;
  }
}

extern "C" LRESULT CALLBACK WndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      appInstance = reinterpret_cast<LPCREATESTRUCTA>(lParam)->hInstance;
      if (DialogBoxParamA(appInstance, "VARNOTEK", window, QEL_Dlg, 0) != 0) {
        InvalidateRect(window, nullptr, TRUE);
      }
      PostQuitMessage(0);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, msg, wParam, lParam);
  }
}

// NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name): our names, not winbase.h's.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR /*commandLine*/, int showMode) {
  char className[9];
  lstrcpynA(className, "Varnotek", sizeof className);
  if (previous == nullptr) {
    windowClass.style = CS_BYTEALIGNWINDOW | CS_NOCLOSE;
    windowClass.lpfnWndProc = WndProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, "AA_DRICON");
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = nullptr;
    windowClass.lpszMenuName = "TOP_MENU";
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
  }
  mainWindow = CreateWindowExA(0, className, " ", WS_DISABLED, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr, nullptr,
                               instance, nullptr);
  ShowWindow(mainWindow, showMode);
  UpdateWindow(mainWindow);
  while (GetMessageA(&message, nullptr, 0, 0)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
