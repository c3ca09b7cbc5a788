// Colours between the painter and GDI; the owners of GDI handles (GdiObject, MemoryDC, WindowDC,
// Selected) come from ui/menu/win32_handles_win32.h.
#pragma once

#include <windows.h>

#include "ui/menu/colour.h"
#include "ui/menu/win32_handles_win32.h"

namespace orvane::ui::menu {

inline COLORREF ToColorRef(Rgb c) { return RGB(c.r, c.g, c.b); }
inline Rgb FromColorRef(COLORREF c) { return {GetRValue(c), GetGValue(c), GetBValue(c)}; }

}  // namespace orvane::ui::menu
