#include "ui/menu/colour.h"

#include <algorithm>

namespace orvane::ui::menu {
namespace {

std::uint8_t LightenChannel(int x, int percent) {
  const int distance = (255 - x) * percent;
  int result = x + distance / 100;
  const int remainder = distance % 100;
  // Exactly half way: the even neighbour.
  if (remainder > 50 || (remainder == 50 && result % 2 != 0)) ++result;
  return static_cast<std::uint8_t>(result);
}

std::uint8_t Clamped(int value) { return static_cast<std::uint8_t>(std::clamp(value, 0, 255)); }

}  // namespace

Rgb LightenColor(Rgb colour, int percent) {
  const int p = std::clamp(percent, 0, 100);
  return {LightenChannel(colour.r, p), LightenChannel(colour.g, p), LightenChannel(colour.b, p)};
}

Rgb DarkenColor(Rgb colour, int amount) {
  return {Clamped(colour.r - amount), Clamped(colour.g - amount + 2), Clamped(colour.b - amount)};
}

Rgb ToGray(Rgb colour, int amount) {
  const int mean = (colour.r + colour.g + colour.b) / 3;
  const std::uint8_t grey = Clamped(std::min(mean + amount, 240));
  return {grey, grey, grey};
}

bool IsLight(Rgb colour) { return colour.r + colour.b > 2 * 150 || colour.g > 200; }

}  // namespace orvane::ui::menu
