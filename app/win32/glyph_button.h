// Push buttons with a glyph left of their caption, drawn by their form (BS_OWNERDRAW).
#pragma once

#include <windows.h>

#include <string>

#include "app/icons.h"
#include "app/win32/win32_window.h"

namespace orvane::app {

// Creates the button; its form calls DrawGlyphButton from WM_DRAWITEM. The button carries `glyph`
// (the caller keeps it alive) for painters that draw the button themselves.
HWND CreateGlyphButton(HWND parent, int id, const std::string& caption, const Bounds& bounds,
                       bool visible, HICON glyph);

// Draws the button face, the glyph and the caption (with its access key underlined) centred as
// one block, the frame of the default button, the pushed and focused states.
void DrawGlyphButton(const DRAWITEMSTRUCT& item, const Picture& glyph, bool isDefault);

}  // namespace orvane::app
