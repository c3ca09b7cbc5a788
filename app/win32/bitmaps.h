// The program's pictures (app/icons.h) as Win32 icons, image lists and drawings.
#pragma once

#include <windows.h>
// The common controls' header needs the definitions above.
#include <commctrl.h>

#include "app/icons.h"
#include "app/win32/win32_handles.h"

namespace orvane::app {

UniqueIcon MakeIcon(const Picture& picture);

// All kImageListCount images of the menu and toolbar, 16 x 16 with a mask.
UniqueImageList MakeImageList();

// Draws the opaque pixels of a picture at x, y over the given background colour.
void DrawPicture(HDC dc, const Picture& picture, int x, int y, COLORREF background);

}  // namespace orvane::app
