// What the card code needs of the WinDriver device: open it, close it, and issue one request
// exactly as DeviceIoControl would (the block is the input buffer; the driver writes its results
// back into it). The real port is card/win32/; the simulated one is sim/.
#pragma once
#include <cstdint>

using DriverHandle = uintptr_t;
constexpr DriverHandle kInvalidDriverHandle = ~DriverHandle{0};

struct DriverPort {
  virtual ~DriverPort() = default;
  // "\\.\WINDRVR" with GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
  // FILE_FLAG_OVERLAPPED; kInvalidDriverHandle when it cannot be opened.
  virtual DriverHandle openDevice() = 0;
  virtual void closeDevice(DriverHandle handle) = 0;
  // Non-zero on success, as DeviceIoControl.
  virtual int deviceIoControl(DriverHandle handle, uint32_t code, void* block, uint32_t blockSize) = 0;
};
