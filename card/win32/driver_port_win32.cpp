#include "card/win32/driver_port_win32.h"

#include <windows.h>

#include "card/windriver_api.h"

// The driver reads its request blocks in their 32-bit layout (a 4-byte buffer pointer in
// WD_TRANSFER). A 64-bit build would send blocks the driver misreads, so it must not exist.
#if defined(_WIN64)
#error "The real driver port is 32-bit only: build the real-card recorder with cmake/mingw-i686.cmake."
#endif
static_assert(sizeof(WD_TRANSFER) == 24, "WD_TRANSFER layout");

namespace {

HANDLE toHandle(DriverHandle handle) { return reinterpret_cast<HANDLE>(handle); }

struct WindowsDriverPort final : DriverPort {
  DriverHandle openDevice() override {
    HANDLE handle = CreateFileA("\\\\.\\WINDRVR", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                OPEN_EXISTING, FILE_FLAG_OVERLAPPED, NULL);
    return reinterpret_cast<DriverHandle>(handle);
  }

  void closeDevice(DriverHandle handle) override {
    // Null and INVALID_HANDLE_VALUE are never open; closing them would only fail.
    if (handle == 0 || handle == kInvalidDriverHandle) return;
    CloseHandle(toHandle(handle));
  }

  int deviceIoControl(DriverHandle handle, uint32_t code, void* block, uint32_t blockSize) override {
    // The driver writes its results back into the input block; nothing reads the byte count.
    DWORD bytesReturned = 0;
    return DeviceIoControl(toHandle(handle), code, block, blockSize, NULL, 0, &bytesReturned, NULL) ? 1 : 0;
  }
};

}  // namespace

DriverPort& windowsDriverPort() {
  static WindowsDriverPort port;
  return port;
}
