#include <windows.h>
// The common controls' header needs the definitions above.
#include <commctrl.h>

#include <set>

#include "ui/menu/dib_canvas_win32.h"

namespace orvane::ui::menu {
namespace {

std::uint32_t Pack(Rgb c) { return (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b; }
Rgb Unpack(std::uint32_t p) {
  return {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
          static_cast<std::uint8_t>(p)};
}

// Draws an image twice, over black and over white: a pixel that differs is transparent.
template <typename DrawOver>
Bitmap Separate(int width, int height, DrawOver draw) {
  DibCanvas black(width, height), white(width, height);
  if (!black.Valid() || !white.Valid()) return {};
  FillRect(black, {0, 0, width, height}, kBlack);
  FillRect(white, {0, 0, width, height}, kWhite);
  draw(black.dc());
  draw(white.dc());
  black.Flush();
  Bitmap result(width, height);
  std::set<std::uint32_t> used;
  std::vector<bool> transparent(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb b = black.At(x, y);
      transparent[static_cast<std::size_t>(y) * width + x] = b != white.At(x, y);
      result.SetPixel(x, y, b);
      used.insert(Pack(b));
    }
  }
  // The transparent colour: magenta, or the next colour no opaque pixel has.
  std::uint32_t key = 0xFF00FF;
  while (used.count(key)) ++key;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (transparent[static_cast<std::size_t>(y) * width + x]) result.SetPixel(x, y, Unpack(key));
    }
  }
  return result;
}

}  // namespace

DibCanvas::DibCanvas(int width, int height)
    : width_(width > 0 ? width : 0), height_(height > 0 ? height : 0) {
  if (width_ == 0 || height_ == 0 || !dc_.get()) return;
  BITMAPINFO info = TopDownBitmapInfo(width_, height_);
  void* bits = nullptr;
  bitmap_ = GdiObject<HBITMAP>(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap_ || !bits) return;
  bits_ = static_cast<std::uint32_t*>(bits);
  SelectObject(dc_.get(), bitmap_.get());
}

void DibCanvas::SetPixel(int x, int y, Rgb colour) {
  if (bits_ && Contains(x, y)) bits_[static_cast<std::size_t>(y) * width_ + x] = Pack(colour);
}

Rgb DibCanvas::At(int x, int y) const {
  if (!bits_ || !Contains(x, y)) return {};
  return Unpack(bits_[static_cast<std::size_t>(y) * width_ + x]);
}

void DibCanvas::CaptureFrom(HDC source, int x, int y) {
  if (bits_) BitBlt(dc_.get(), 0, 0, width_, height_, source, x, y, SRCCOPY);
}

void DibCanvas::CopyTo(HDC target, int x, int y) const {
  if (!bits_) return;
  GdiFlush();
  BitBlt(target, x, y, width_, height_, dc_.get(), 0, 0, SRCCOPY);
}

Bitmap ImageListBitmap(HIMAGELIST images, int index) {
  int width = 0, height = 0;
  if (!images || index < 0 || index >= ImageList_GetImageCount(images) ||
      !ImageList_GetIconSize(images, &width, &height)) {
    return {};
  }
  return Separate(width, height,
                  [&](HDC dc) { ImageList_Draw(images, index, dc, 0, 0, ILD_TRANSPARENT); });
}

Bitmap IconBitmap(HICON icon) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return {};
  GdiObject<HBITMAP> colour(info.hbmColor), mask(info.hbmMask);
  BITMAP bm{};
  GetObject(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
  const int height = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
  return Separate(bm.bmWidth, height, [&](HDC dc) {
    DrawIconEx(dc, 0, 0, icon, bm.bmWidth, height, 0, nullptr, DI_NORMAL);
  });
}

}  // namespace orvane::ui::menu
