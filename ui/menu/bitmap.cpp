#include "ui/menu/bitmap.h"

#include <algorithm>
#include <cstdlib>

namespace orvane::ui::menu {

Bitmap::Bitmap(int width, int height, Rgb fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * height_, fill) {}

void Bitmap::SetPixel(int x, int y, Rgb colour) {
  if (Contains(x, y)) pixels_[Index(x, y)] = colour;
}

Rgb Bitmap::TransparentColor() const { return pixels_.empty() ? Rgb{} : At(0, height_ - 1); }

int ConvertPixels(Bitmap& bitmap, const std::function<Rgb(Rgb)>& convert) {
  int computed = 0;
  Rgb previousIn{};
  Rgb previousOut{};
  for (std::size_t i = 0; i < bitmap.Pixels().size(); ++i) {
    Rgb& pixel = bitmap.Pixels()[i];
    if (i == 0 || pixel != previousIn) {
      previousIn = pixel;
      previousOut = convert(pixel);
      ++computed;
    }
    pixel = previousOut;
  }
  return computed;
}

void LightenBitmap(Bitmap& bitmap, int percent) {
  ConvertPixels(bitmap, [percent](Rgb c) { return LightenColor(c, percent); });
}

void GrayOutBitmap(Bitmap& bitmap, int amount) {
  ConvertPixels(bitmap, [amount](Rgb c) { return ToGray(c, amount); });
}

void PaintSilhouette(const Bitmap& icon, Canvas& canvas, int x, int y, Rgb colour) {
  const Rgb transparent = icon.TransparentColor();
  for (int row = 0; row < icon.Height(); ++row) {
    for (int column = 0; column < icon.Width(); ++column) {
      if (icon.At(column, row) != transparent) canvas.SetPixel(x + column, y + row, colour);
    }
  }
}

void DrawIcon(const Bitmap& icon, const Bitmap& look, Canvas& canvas, int x, int y) {
  if (look.Width() != icon.Width() || look.Height() != icon.Height()) return;
  const Rgb transparent = icon.TransparentColor();
  for (int row = 0; row < icon.Height(); ++row) {
    for (int column = 0; column < icon.Width(); ++column) {
      if (icon.At(column, row) != transparent) {
        canvas.SetPixel(x + column, y + row, look.At(column, row));
      }
    }
  }
}

void FillRect(Canvas& canvas, const Rect& rect, Rgb colour) {
  const int left = std::max(rect.left, 0);
  const int top = std::max(rect.top, 0);
  const int right = std::min(rect.right, canvas.Width());
  const int bottom = std::min(rect.bottom, canvas.Height());
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) canvas.SetPixel(x, y, colour);
  }
}

void FrameRect(Canvas& canvas, const Rect& rect, Rgb colour) {
  if (rect.Width() <= 0 || rect.Height() <= 0) return;
  FillRect(canvas, {rect.left, rect.top, rect.right, rect.top + 1}, colour);
  FillRect(canvas, {rect.left, rect.bottom - 1, rect.right, rect.bottom}, colour);
  FillRect(canvas, {rect.left, rect.top, rect.left + 1, rect.bottom}, colour);
  FillRect(canvas, {rect.right - 1, rect.top, rect.right, rect.bottom}, colour);
}

namespace {

// From a up to b, b itself left out; steps along the longer axis.
void Segment(Canvas& canvas, Point a, Point b, Rgb colour) {
  const int dx = b.x - a.x;
  const int dy = b.y - a.y;
  const int steps = std::max(std::abs(dx), std::abs(dy));
  for (int i = 0; i < steps; ++i) {
    // Rounded to the nearest pixel, halves away from a.
    const int x = a.x + (2 * dx * i + (dx >= 0 ? steps : -steps)) / (2 * steps);
    const int y = a.y + (2 * dy * i + (dy >= 0 ? steps : -steps)) / (2 * steps);
    canvas.SetPixel(x, y, colour);
  }
}

}  // namespace

void PolyLine(Canvas& canvas, std::initializer_list<Point> points, Rgb colour) {
  const Point* previous = nullptr;
  for (const Point& point : points) {
    if (previous) Segment(canvas, *previous, point, colour);
    previous = &point;
  }
}

}  // namespace orvane::ui::menu
