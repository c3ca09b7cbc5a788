// The live board's picture, drawn on a plain canvas so that any window system (and the tests)
// can show it: rows of LEDs and switches for the port pins, and the character display with our
// own dot font. The window copies the canvas to the screen; nothing here knows the board model.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "ui/drawing/lcd_font.h"
#include "ui/menu/bitmap.h"
#include "ui/menu/colour.h"

namespace orvane::ui {

using menu::Canvas;
using menu::Rect;
using menu::Rgb;

// ---- a row of eight pins, bit 7 on the left
inline constexpr int kPinsPerRow = 8;
inline constexpr int kPinCellWidth = 22;
inline constexpr int kPinRowWidth = kPinsPerRow * kPinCellWidth;
inline constexpr int kPinRowHeight = 22;

enum class LedLight { Off, Half, On };

struct PinRowPicture {
  std::uint8_t levels = 0xFF;   // the pins' levels, 1 high
  std::uint8_t outputs = 0xFF;  // pins the program drives; the others are switches
  std::uint8_t busy = 0;        // pins that toggled faster than an eye can follow
  bool litWhenLow = false;      // LEDs that sink into the port light on a low pin
  Rgb led{};                    // the lit colour
  friend bool operator==(const PinRowPicture&, const PinRowPicture&) = default;
};

// How the LED of `bit` (0 to 7) looks; only meaningful for an output.
LedLight LightOf(const PinRowPicture& row, int bit);
// The bit under x on the row's canvas, or nothing between cells.
std::optional<int> PinAt(int x);
// Draws the row on a canvas of kPinRowWidth x kPinRowHeight over `background`.
void DrawPinRow(Canvas& canvas, const PinRowPicture& row, Rgb background);

// ---- the 2 x 16 character display
inline constexpr int kLcdLines = 2;
inline constexpr int kLcdColumns = 16;
inline constexpr int kLcdDot = 3;       // a dot's side
inline constexpr int kLcdDotPitch = 4;  // a dot and the gap after it
inline constexpr int kLcdCellPitch = kLcdGlyphColumns * kLcdDotPitch + 3;
inline constexpr int kLcdLinePitch = kLcdGlyphRows * kLcdDotPitch + 6;
inline constexpr int kLcdMargin = 10;
inline constexpr int kLcdWidth = 2 * kLcdMargin + kLcdColumns * kLcdCellPitch - 3;
inline constexpr int kLcdHeight = 2 * kLcdMargin + kLcdLines * kLcdLinePitch - 6;

struct LcdPicture {
  std::array<std::array<std::uint8_t, kLcdColumns>, kLcdLines> codes{};
  std::array<std::uint8_t, kLcdCharacterRamSize> characterRam{};
  bool displayOn = false;
  std::optional<std::array<int, 2>> cursorCell;  // line, column
  bool cursorUnderline = false;
  bool cursorBlink = false;
  friend bool operator==(const LcdPicture&, const LcdPicture&) = default;
};

inline constexpr Rgb kLcdGlass{156, 190, 60};
inline constexpr Rgb kLcdDotLit{28, 44, 18};
inline constexpr Rgb kLcdDotDark{146, 178, 56};  // an unlit dot shows faintly, as on the glass

// The top-left pixel of a dot on the display's canvas.
menu::Point LcdDotOrigin(int line, int column, int row, int dotColumn);
// Draws the display on a canvas of kLcdWidth x kLcdHeight. `blinkShown` is the half of the
// blink period in which a blinking cursor covers its cell with every dot.
void DrawLcd(Canvas& canvas, const LcdPicture& lcd, bool blinkShown);

}  // namespace orvane::ui
