// Owners of the windows' Win32 resources (GDI objects, icons, image lists, menus, accelerator
// tables, device contexts), each released when its owner goes, on every path; shared by the
// windows and the painter that styles them.
#pragma once

#include <windows.h>
// The common controls' header needs the definitions above.
#include <commctrl.h>

#include <memory>
#include <type_traits>

namespace orvane::ui {

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
struct WindowDeleter {
  void operator()(HWND window) const { DestroyWindow(window); }
};

template <typename Handle, typename Deleter>
using UniqueWin32 = std::unique_ptr<std::remove_pointer_t<Handle>, Deleter>;

// A GDI object (pen, brush, font, bitmap) deleted with DeleteObject.
template <typename Handle>
using GdiObject = UniqueWin32<Handle, GdiObjectDeleter>;

using UniqueBitmap = GdiObject<HBITMAP>;
using UniqueFont = GdiObject<HFONT>;
using UniqueIcon = UniqueWin32<HICON, IconDeleter>;
using UniqueImageList = UniqueWin32<HIMAGELIST, ImageListDeleter>;
// A menu that no window owns yet; release() it once a window has taken it.
using UniqueMenu = UniqueWin32<HMENU, MenuDeleter>;
using UniqueAcceleratorTable = UniqueWin32<HACCEL, AcceleratorTableDeleter>;
// A window that no C++ object stands for.
using UniqueWindow = UniqueWin32<HWND, WindowDeleter>;

// The client-area (or whole-window) device context of a window (the screen's for no window),
// released when it goes.
class WindowDC {
 public:
  explicit WindowDC(HWND window, bool wholeWindow = false)
      : window_(window), dc_(wholeWindow ? GetWindowDC(window) : GetDC(window)) {}
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

// A memory device context, deleted with DeleteDC.
class MemoryDC {
 public:
  explicit MemoryDC(HDC compatibleWith = nullptr) : dc_(CreateCompatibleDC(compatibleWith)) {}
  ~MemoryDC() {
    if (dc_) DeleteDC(dc_);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;

  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// An object (font, pen, brush, bitmap) selected into a device context while this lives; the
// context gets its previous one back after. A missing context or object selects nothing.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object)
      : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
  ~Selected() {
    if (previous_) SelectObject(dc_, previous_);
  }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// How a 32-bit bitmap whose rows run from the top is described to CreateDIBSection.
inline BITMAPINFO TopDownBitmapInfo(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // rows from the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

}  // namespace orvane::ui
