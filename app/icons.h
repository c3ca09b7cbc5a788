// The program's pictures: the window icon, the board picture of the main window, the images of
// the menu and toolbar and the button glyphs. They are drawn as character maps in icons.cpp, so
// they can be edited as text and are turned into bitmaps when the windows are made.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace orvane::app {

// Pixels as 0xAARRGGBB, row by row from the top; alpha is 0 (transparent) or 255.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
  bool Opaque(int x, int y) const { return (At(x, y) >> 24) != 0; }
};

struct PaletteEntry {
  char key;
  std::uint32_t rgb;  // 0xRRGGBB
};

// Turns a character map into a picture: '.' is transparent, every other character is looked up in
// the palette. Throws std::invalid_argument for an empty map, rows of unequal length or a
// character that the palette lacks.
Picture PictureFromMap(std::span<const std::string_view> rows,
                       std::span<const PaletteEntry> palette);

// Scales by the largest whole factor that fits the frame and centres the result in it; the margin
// is transparent. A picture larger than the frame is cut to it, centred.
Picture FitToFrame(const Picture& picture, int width, int height);

// The image list of the menu and the toolbar.
inline constexpr int kImageListCount = 17;
inline constexpr int kImageListSize = 16;
inline constexpr int kImageOpenDownload = 0;
inline constexpr int kImageTesting = 2;
inline constexpr int kImageRecentFiles = 3;
inline constexpr int kImageExit = 6;
inline constexpr int kImageRedownload = 16;

Picture ImageListPicture(int index);    // 0 <= index < kImageListCount, else std::out_of_range
Picture MainIconPicture();              // 32 x 32, of the 16 standard colours only
Picture SmallIconPicture();             // 16 x 16, the same design for title bars
Picture MainWindowDecorationPicture();  // the main window's decorative picture
Picture OkGlyphPicture();               // the OK button's glyph
Picture CloseGlyphPicture();            // the Close button's glyph
Picture ClearGlyphPicture();            // the serial terminal's Clear button

// The 16 standard colours, as 0xRRGGBB.
std::span<const std::uint32_t> StandardColours();

}  // namespace orvane::app
