#include "ui/drawing/canvas_board_picture.h"

#include <algorithm>

namespace orvane::ui {
namespace {

constexpr int kLedDiameter = 14;
constexpr Rgb kSwitchBody{96, 96, 96};
constexpr Rgb kSwitchKnob{236, 236, 236};

Rgb Mix(Rgb a, Rgb b, int percentOfB) {
  auto channel = [&](std::uint8_t x, std::uint8_t y) {
    return static_cast<std::uint8_t>((x * (100 - percentOfB) + y * percentOfB) / 100);
  };
  return {channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b)};
}

Rect CellOf(int bit) {
  const int left = (kPinsPerRow - 1 - bit) * kPinCellWidth;
  return {left, 0, left + kPinCellWidth, kPinRowHeight};
}

// A round LED with a darker rim; an unlit one is its colour far dimmed, a half-lit one between.
void DrawLed(Canvas& canvas, const Rect& cell, Rgb lit, LedLight light, Rgb background) {
  const Rgb off = Mix(Mix(lit, menu::kBlack, 70), background, 10);
  const Rgb face = light == LedLight::On ? lit : light == LedLight::Half ? Mix(off, lit, 60) : off;
  const Rgb rim = Mix(face, menu::kBlack, 35);
  const int cx2 = cell.left * 2 + cell.Width(), cy2 = cell.top * 2 + cell.Height();
  const int r2 = kLedDiameter * kLedDiameter;  // (2r)^2, in half pixels
  for (int y = cell.top; y < cell.bottom; ++y) {
    for (int x = cell.left; x < cell.right; ++x) {
      const int dx = 2 * x + 1 - cx2, dy = 2 * y + 1 - cy2;
      const int d2 = dx * dx + dy * dy;
      if (d2 <= r2) canvas.SetPixel(x, y, d2 >= r2 - 4 * kLedDiameter ? rim : face);
    }
  }
}

// A slide switch: the knob up for high (open), down for low.
void DrawSwitch(Canvas& canvas, const Rect& cell, bool high) {
  const int midX = (cell.left + cell.right) / 2;
  const Rect body{midX - 5, cell.top + 2, midX + 5, cell.bottom - 2};
  menu::FillRect(canvas, body, kSwitchBody);
  const int knobTop = high ? body.top + 1 : (body.top + body.bottom) / 2;
  menu::FillRect(canvas, {body.left + 1, knobTop, body.right - 1, knobTop + body.Height() / 2 - 1},
                 kSwitchKnob);
}

}  // namespace

LedLight LightOf(const PinRowPicture& row, int bit) {
  const bool high = (row.levels >> bit) & 1;
  if ((row.busy >> bit) & 1) return LedLight::Half;
  return high != row.litWhenLow ? LedLight::On : LedLight::Off;
}

std::optional<int> PinAt(int x) {
  if (x < 0 || x >= kPinRowWidth) return std::nullopt;
  return kPinsPerRow - 1 - x / kPinCellWidth;
}

void DrawPinRow(Canvas& canvas, const PinRowPicture& row, Rgb background) {
  menu::FillRect(canvas, {0, 0, canvas.Width(), canvas.Height()}, background);
  for (int bit = 0; bit < kPinsPerRow; ++bit) {
    const Rect cell = CellOf(bit);
    if ((row.outputs >> bit) & 1) {
      DrawLed(canvas, cell, row.led, LightOf(row, bit), background);
    } else {
      DrawSwitch(canvas, cell, (row.levels >> bit) & 1);
    }
  }
}

menu::Point LcdDotOrigin(int line, int column, int row, int dotColumn) {
  return {kLcdMargin + column * kLcdCellPitch + dotColumn * kLcdDotPitch,
          kLcdMargin + line * kLcdLinePitch + row * kLcdDotPitch};
}

void DrawLcd(Canvas& canvas, const LcdPicture& lcd, bool blinkShown) {
  menu::FillRect(canvas, {0, 0, canvas.Width(), canvas.Height()}, kLcdGlass);
  constexpr LcdGlyph kEveryDot = {0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F};
  for (int line = 0; line < kLcdLines; ++line) {
    for (int column = 0; column < kLcdColumns; ++column) {
      LcdGlyph glyph{};
      if (lcd.displayOn) {
        glyph = ShownGlyph(lcd.codes[line][column], lcd.characterRam);
        const bool cursorHere = lcd.cursorCell == std::array<int, 2>{line, column};
        if (cursorHere && lcd.cursorUnderline) glyph[kLcdGlyphRows - 1] = 0x1F;
        if (cursorHere && lcd.cursorBlink && blinkShown) glyph = kEveryDot;
      }
      for (int row = 0; row < kLcdGlyphRows; ++row) {
        for (int dot = 0; dot < kLcdGlyphColumns; ++dot) {
          const menu::Point at = LcdDotOrigin(line, column, row, dot);
          menu::FillRect(canvas, {at.x, at.y, at.x + kLcdDot, at.y + kLcdDot},
                         GlyphDot(glyph, row, dot) ? kLcdDotLit : kLcdDotDark);
        }
      }
    }
  }
}

}  // namespace orvane::ui
