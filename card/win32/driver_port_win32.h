// The WinDriver device reached through the Windows kernel: CreateFile on "\\.\WINDRVR" and
// DeviceIoControl. Windows only.
#pragma once
#include "card/driver_port.h"

DriverPort& windowsDriverPort();
