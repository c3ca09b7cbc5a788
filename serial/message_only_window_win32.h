// A hidden window that only receives messages, for work handed to the thread that created it.
#pragma once

#include <windows.h>

namespace orvane::serial {

// Registers the class on first use and creates the window on the calling thread.
// Returns nullptr when the system refuses the window (GetLastError says why).
HWND CreateMessageOnlyWindow(const char* className, WNDPROC proc);

}  // namespace orvane::serial
