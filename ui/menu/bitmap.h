// Plain pixel maps for the menu painter: the icons it lightens, greys and raises, and the canvas
// it composes a menu item on. No window system here; the Windows painter wraps its off-screen
// bitmap as a Canvas.
#pragma once

#include <functional>
#include <vector>

#include "ui/menu/colour.h"

namespace orvane::ui::menu {

struct Point {
  int x = 0;
  int y = 0;
};

// Left, top inclusive; right, bottom exclusive (as window rectangles are).
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// Somewhere to put pixels. Points outside the canvas are ignored.
class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void SetPixel(int x, int y, Rgb colour) = 0;
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < Width() && y < Height(); }
};

class Bitmap : public Canvas {
 public:
  Bitmap() = default;
  Bitmap(int width, int height, Rgb fill = {});

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void SetPixel(int x, int y, Rgb colour) override;
  // The pixel at x, y; the caller keeps within the map.
  Rgb At(int x, int y) const { return pixels_[Index(x, y)]; }
  std::vector<Rgb>& Pixels() { return pixels_; }
  const std::vector<Rgb>& Pixels() const { return pixels_; }
  // The colour an icon treats as transparent: its bottom-left pixel.
  Rgb TransparentColor() const;

 private:
  std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * width_ + x; }
  int width_ = 0;
  int height_ = 0;
  std::vector<Rgb> pixels_;
};

// Every pixel becomes LightenColor(pixel, percent).
void LightenBitmap(Bitmap& bitmap, int percent);
// Every pixel becomes ToGray(pixel, amount).
void GrayOutBitmap(Bitmap& bitmap, int amount);
// Both conversions above run through this: a new colour is computed only where a pixel differs
// from the one before it, since icons are mostly runs of one colour. Returns how many colours
// were computed.
int ConvertPixels(Bitmap& bitmap, const std::function<Rgb(Rgb)>& convert);

// Sets every canvas pixel under an opaque pixel of `icon` (one that differs from its transparent
// colour) to `colour`, with the icon's top-left at x, y.
void PaintSilhouette(const Bitmap& icon, Canvas& canvas, int x, int y, Rgb colour);
// Draws `look` (a converted copy of `icon`, same size) at x, y, leaving the pixels transparent
// where the original icon is: a lightened or greyed colour never makes a pixel transparent.
void DrawIcon(const Bitmap& icon, const Bitmap& look, Canvas& canvas, int x, int y);

void FillRect(Canvas& canvas, const Rect& rect, Rgb colour);
// A one-pixel frame just inside `rect`.
void FrameRect(Canvas& canvas, const Rect& rect, Rgb colour);
// Lines through the points, each point included but the last, as a pen draws them.
void PolyLine(Canvas& canvas, std::initializer_list<Point> points, Rgb colour);

}  // namespace orvane::ui::menu
