// Ownership of a Win32 kernel handle (file, event, mutex): closed when its owner goes, on every
// path. Both null and INVALID_HANDLE_VALUE mean "none", as the creating calls return either.
#pragma once

#include <windows.h>

#include "serial/unique_resource.h"

namespace orvane::serial {

struct HandleTraits {
  using Value = HANDLE;
  static HANDLE None() { return nullptr; }
  static bool Valid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
  static void Release(HANDLE handle) { CloseHandle(handle); }
};

using UniqueHandle = UniqueResource<HandleTraits>;

}  // namespace orvane::serial
