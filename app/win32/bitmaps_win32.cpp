#include "app/win32/bitmaps.h"

#include <cstdint>
#include <vector>

namespace orvane::app {
namespace {

// A 32-bit colour bitmap of the picture: transparent pixels become `fill`, alpha is kept
// (premultiplied, as icons with alpha expect it).
UniqueBitmap ColourBitmap(const Picture& picture, std::uint32_t fill) {
  BITMAPINFO info = ui::TopDownBitmapInfo(picture.width, picture.height);
  void* bits = nullptr;
  const WindowDC screen(nullptr);
  UniqueBitmap bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return bitmap;
  auto* out = static_cast<std::uint32_t*>(bits);
  for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
    out[i] = (picture.pixels[i] >> 24) ? picture.pixels[i] : fill;
  }
  return bitmap;
}

// A monochrome mask: 1 where the picture is transparent.
UniqueBitmap MaskBitmap(const Picture& picture) {
  const int stride = ((picture.width + 15) / 16) * 2;  // word-aligned rows
  std::vector<std::uint8_t> rows(static_cast<std::size_t>(stride * picture.height), 0);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      if (!picture.Opaque(x, y)) {
        rows[static_cast<std::size_t>(y * stride + x / 8)] |=
            static_cast<std::uint8_t>(0x80 >> (x % 8));
      }
    }
  }
  return UniqueBitmap(CreateBitmap(picture.width, picture.height, 1, 1, rows.data()));
}

}  // namespace

UniqueIcon MakeIcon(const Picture& picture) {
  UniqueBitmap colour = ColourBitmap(picture, 0);
  UniqueBitmap mask = MaskBitmap(picture);
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmColor = colour.get();
  info.hbmMask = mask.get();
  return UniqueIcon(CreateIconIndirect(&info));  // copies both bitmaps
}

UniqueImageList MakeImageList() {
  UniqueImageList list(
      ImageList_Create(kImageListSize, kImageListSize, ILC_COLOR32 | ILC_MASK, kImageListCount, 0));
  if (!list) return list;
  for (int i = 0; i < kImageListCount; ++i) {
    const Picture picture = ImageListPicture(i);
    // Black under the mask: the list draws the colour bitmap through the mask with XOR.
    UniqueBitmap colour = ColourBitmap(picture, 0);
    UniqueBitmap mask = MaskBitmap(picture);
    ImageList_Add(list.get(), colour.get(), mask.get());
  }
  return list;
}

void DrawPicture(HDC dc, const Picture& picture, int x, int y, COLORREF background) {
  if (picture.width <= 0 || picture.height <= 0) return;
  const std::uint32_t fill = (static_cast<std::uint32_t>(GetRValue(background)) << 16) |
                             (static_cast<std::uint32_t>(GetGValue(background)) << 8) |
                             GetBValue(background);
  std::vector<std::uint32_t> pixels(picture.pixels.size());
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = (picture.pixels[i] >> 24) ? (picture.pixels[i] & 0xFFFFFFu) : fill;
  }
  BITMAPINFO info = ui::TopDownBitmapInfo(picture.width, picture.height);
  SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(picture.width), static_cast<DWORD>(picture.height),
                    0, 0, 0, static_cast<UINT>(picture.height), pixels.data(), &info,
                    DIB_RGB_COLORS);
}

}  // namespace orvane::app
