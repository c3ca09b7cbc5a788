// The windows use the owners of Win32 resources kept at the bottom layer, under their own names.
#pragma once

#include "ui/menu/win32_handles_win32.h"

namespace orvane::app {

using ui::PaintDC;
using ui::UniqueAcceleratorTable;
using ui::UniqueBitmap;
using ui::UniqueFont;
using ui::UniqueIcon;
using ui::UniqueImageList;
using ui::UniqueMenu;
using ui::UniqueWindow;
using ui::WindowDC;
using SelectedFont = ui::Selected;

}  // namespace orvane::app
