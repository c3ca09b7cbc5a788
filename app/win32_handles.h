// Owners of the windows' Win32 resources (GDI objects, icons, image lists, menus, accelerator
// tables, device contexts), each released when its owner goes, on every path.
#pragma once

#include <windows.h>
// The common controls' header needs the definitions above.
#include <commctrl.h>

#include <memory>
#include <type_traits>

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
struct MenuDeleter {
  void operator()(HMENU menu) const { DestroyMenu(menu); }
};
struct AcceleratorTableDeleter {
  void operator()(HACCEL table) const { DestroyAcceleratorTable(table); }
};

template <typename Handle, typename Deleter>
using UniqueWin32 = std::unique_ptr<std::remove_pointer_t<Handle>, Deleter>;

using UniqueBitmap = UniqueWin32<HBITMAP, GdiObjectDeleter>;
using UniqueFont = UniqueWin32<HFONT, GdiObjectDeleter>;
using UniqueIcon = UniqueWin32<HICON, IconDeleter>;
using UniqueImageList = UniqueWin32<HIMAGELIST, ImageListDeleter>;
// A menu that no window owns yet; release() it once a window has taken it.
using UniqueMenu = UniqueWin32<HMENU, MenuDeleter>;
using UniqueAcceleratorTable = UniqueWin32<HACCEL, AcceleratorTableDeleter>;

// A window's device context (the screen's for no window), released when it goes.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;

  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// The painting of a window between BeginPaint and EndPaint.
class PaintDC {
 public:
  explicit PaintDC(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  ~PaintDC() { EndPaint(window_, &paint_); }
  PaintDC(const PaintDC&) = delete;
  PaintDC& operator=(const PaintDC&) = delete;

  HDC get() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// A font selected into a device context while this lives; the context gets its own back after.
class SelectedFont {
 public:
  SelectedFont(HDC dc, HFONT font) : dc_(dc), old_(dc && font ? SelectObject(dc, font) : nullptr) {}
  ~SelectedFont() {
    if (old_) SelectObject(dc_, old_);
  }
  SelectedFont(const SelectedFont&) = delete;
  SelectedFont& operator=(const SelectedFont&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace orvane::app
