// The wait for line events on a Win32 serial device: WaitCommEvent on an overlapped record
// beside a stop event.
#pragma once

#include <windows.h>

#include <memory>

#include "serial/com_device.h"

namespace orvane::serial {

// The wait uses the device handle while it waits and, with a call still pending, as it goes. Its
// thread drops it before the port closes the device; a thread that the port lets go from inside
// an action has no call pending.
std::unique_ptr<ComEventWait> NewWin32EventWait(HANDLE device);

}  // namespace orvane::serial
