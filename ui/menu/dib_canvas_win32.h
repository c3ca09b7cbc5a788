// An off-screen 32-bit bitmap with its own device context: the painter composes a menu item or
// a button on it, with GDI for text and directly in memory for everything else, then copies it
// to the screen in one block.
#pragma once

#include <windows.h>
// The common controls' header needs the definitions above.
#include <commctrl.h>

#include <cstdint>

#include "ui/menu/bitmap.h"
#include "ui/menu/gdi_win32.h"

namespace orvane::ui::menu {

class DibCanvas : public Canvas {
 public:
  // Width or height 0 gives a canvas on which every drawing does nothing; Valid() is false when
  // the system refused the bitmap.
  DibCanvas(int width, int height);
  bool Valid() const { return bits_ != nullptr; }
  HDC dc() const { return dc_.get(); }

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void SetPixel(int x, int y, Rgb colour) override;
  Rgb At(int x, int y) const;

  // Call after GDI drew, before the pixels are touched directly (GDI may batch its work).
  void Flush() const { GdiFlush(); }
  // Copies what `source` shows at x, y into the canvas, and the canvas to `target` at x, y.
  void CaptureFrom(HDC source, int x, int y);
  void CopyTo(HDC target, int x, int y) const;

 private:
  int width_;
  int height_;
  // The bitmap stays selected into the DC for the canvas's life: the DC is deleted first.
  GdiObject<HBITMAP> bitmap_;
  MemoryDC dc_;
  std::uint32_t* bits_ = nullptr;
};

// An image of an image list (or any icon) as a painter bitmap: its transparent pixels get a
// colour the image does not use, and the bottom-left pixel carries it, so the bitmap follows the
// painter's transparent-colour rule.
Bitmap ImageListBitmap(HIMAGELIST images, int index);
Bitmap IconBitmap(HICON icon);

}  // namespace orvane::ui::menu
