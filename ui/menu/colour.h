// Colours of the flat menu look as red, green and blue bytes, and the operations that derive the
// painter's working colours from the system's: lighten, darken, grey.
#pragma once

#include <cstdint>

namespace orvane::ui::menu {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kSilver{192, 192, 192};
inline constexpr Rgb kGrey{128, 128, 128};

// Each channel x moves `percent` (capped at 0...100) of the way to 255: x + (255 - x) * p / 100,
// rounded to the nearest integer, an exact half to the even neighbour (10 lightened 50 % is
// 132.5, so 132; 36 lightened 50 % is 145.5, so 146). Whole arithmetic, no floating point.
Rgb LightenColor(Rgb colour, int percent);
// Red and blue lose `amount`, green loses 2 less; each channel is clamped to 0...255.
Rgb DarkenColor(Rgb colour, int amount);
// The channels' integer mean plus `amount`, capped at 240, as a grey.
Rgb ToGray(Rgb colour, int amount);
// Light enough for dark text: mean of red and blue above 150, or green above 200.
bool IsLight(Rgb colour);

}  // namespace orvane::ui::menu
