// The wait for line events on a Win32 serial device: WaitCommEvent on an overlapped record
// beside a stop event.
#pragma once

#include <windows.h>

#include <memory>

#include "serial/com_device.h"

namespace orvane::serial {

// The device handle outlives the wait (the port stops its event thread before it closes the
// device).
std::unique_ptr<ComEventWait> NewWin32EventWait(HANDLE device);

}  // namespace orvane::serial
