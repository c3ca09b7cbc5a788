// The program's pictures (app/icons.h) as Win32 icons, image lists and drawings.
#pragma once

#include <windows.h>
// The common controls' header needs the definitions above.
#include <commctrl.h>

#include <memory>
#include <type_traits>

#include "app/icons.h"

namespace orvane::app {

struct GdiObjectDeleter {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct IconDeleter {
  void operator()(HICON icon) const { DestroyIcon(icon); }
};
struct ImageListDeleter {
  void operator()(HIMAGELIST list) const { ImageList_Destroy(list); }
};
using UniqueBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;
using UniqueImageList = std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, ImageListDeleter>;

UniqueIcon MakeIcon(const Picture& picture);

// All kImageListCount images of the menu and toolbar, 16 x 16 with a mask.
UniqueImageList MakeImageList();

// Draws the opaque pixels of a picture at x, y over the given background colour.
void DrawPicture(HDC dc, const Picture& picture, int x, int y, COLORREF background);

}  // namespace orvane::app
