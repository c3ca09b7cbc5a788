// The live board's picture on a plain bitmap: what a user reads off the LEDs, the switches and
// the display, sampled at the pixels that carry it.
#include <gtest/gtest.h>

#include "ui/drawing/canvas_board_picture.h"

namespace orvane::ui {
namespace {

constexpr Rgb kFace{212, 208, 200};
constexpr Rgb kRed{230, 30, 30};

int Brightness(Rgb c) { return c.r + c.g + c.b; }

Rgb LedCentre(const menu::Bitmap& row, int bit) {
  const int left = (kPinsPerRow - 1 - bit) * kPinCellWidth;
  return row.At(left + kPinCellWidth / 2, kPinRowHeight / 2);
}

menu::Bitmap DrawnRow(const PinRowPicture& row) {
  menu::Bitmap bitmap(kPinRowWidth, kPinRowHeight);
  DrawPinRow(bitmap, row, kFace);
  return bitmap;
}

TEST(CanvasBoardPictureTest, LedsSinkingIntoTheirPortLightOnALowPinAFastPinHalfLit) {
  const PinRowPicture p1{.levels = 0b11100110, .busy = 0b10000000, .litWhenLow = true, .led = kRed};
  const menu::Bitmap bitmap = DrawnRow(p1);
  const Rgb lit = LedCentre(bitmap, 0), dark = LedCentre(bitmap, 1), half = LedCentre(bitmap, 7);
  EXPECT_EQ(lit, kRed);
  for (int bit = 0; bit < kPinsPerRow; ++bit) {
    const LedLight expected = bit == 7                   ? LedLight::Half
                              : ((p1.levels >> bit) & 1) ? LedLight::Off
                                                         : LedLight::On;
    EXPECT_EQ(LightOf(p1, bit), expected) << bit;
    EXPECT_EQ(LedCentre(bitmap, bit), expected == LedLight::On    ? lit
                                      : expected == LedLight::Off ? dark
                                                                  : half)
        << bit;
  }
  EXPECT_GT(Brightness(lit) - Brightness(dark), 150) << "a lit LED must read as lit";
  EXPECT_GT(Brightness(half), Brightness(dark));
  EXPECT_LT(Brightness(half), Brightness(lit));

  PinRowPicture sourcing = p1;
  sourcing.litWhenLow = false;
  sourcing.busy = 0;
  EXPECT_EQ(LedCentre(DrawnRow(sourcing), 1), kRed);  // a high output lights a sourcing LED
}

TEST(CanvasBoardPictureTest, InputPinsAreSwitchesWhoseKnobShowsTheLevelAndCellsMapBackToBits) {
  const PinRowPicture ppi{.levels = 0b00001010, .outputs = 0xF0, .led = kRed};
  const menu::Bitmap bitmap = DrawnRow(ppi);
  auto knobUp = [&](int bit) {
    const int x = (kPinsPerRow - 1 - bit) * kPinCellWidth + kPinCellWidth / 2;
    return Brightness(bitmap.At(x, 5)) > Brightness(bitmap.At(x, kPinRowHeight - 5));
  };
  EXPECT_TRUE(knobUp(1));
  EXPECT_TRUE(knobUp(3));
  EXPECT_FALSE(knobUp(0));
  EXPECT_FALSE(knobUp(2));
  EXPECT_NE(LedCentre(bitmap, 0), LedCentre(bitmap, 4));  // a switch is no LED
  for (int bit = 0; bit < kPinsPerRow; ++bit) {
    const int left = (kPinsPerRow - 1 - bit) * kPinCellWidth;
    EXPECT_EQ(PinAt(left), bit);
    EXPECT_EQ(PinAt(left + kPinCellWidth - 1), bit);
  }
  EXPECT_EQ(PinAt(-1), std::nullopt);
  EXPECT_EQ(PinAt(kPinRowWidth), std::nullopt);
}

// The glyph read back from the dots of one cell.
LcdGlyph ReadCell(const menu::Bitmap& bitmap, int line, int column) {
  LcdGlyph glyph{};
  for (int row = 0; row < kLcdGlyphRows; ++row) {
    for (int dot = 0; dot < kLcdGlyphColumns; ++dot) {
      const menu::Point at = LcdDotOrigin(line, column, row, dot);
      if (bitmap.At(at.x + 1, at.y + 1) == kLcdDotLit) {
        glyph[row] |= static_cast<std::uint8_t>(1 << (kLcdGlyphColumns - 1 - dot));
      }
    }
  }
  return glyph;
}

menu::Bitmap DrawnLcd(const LcdPicture& lcd, bool blinkShown = false) {
  menu::Bitmap bitmap(kLcdWidth, kLcdHeight);
  DrawLcd(bitmap, lcd, blinkShown);
  return bitmap;
}

TEST(CanvasBoardPictureTest, TheDisplayShowsEveryCellsGlyphCustomCharactersAndTheCursor) {
  LcdPicture lcd;
  lcd.displayOn = true;
  for (int column = 0; column < kLcdColumns; ++column) {
    lcd.codes[0][column] = static_cast<std::uint8_t>('A' + column);
    lcd.codes[1][column] = static_cast<std::uint8_t>(column < 8 ? column : 0x80 + column);
  }
  for (std::size_t i = 0; i < lcd.characterRam.size(); ++i) {
    lcd.characterRam[i] = static_cast<std::uint8_t>(i * 11);
  }
  lcd.cursorCell = std::array<int, 2>{1, 9};
  lcd.cursorUnderline = true;
  const menu::Bitmap bitmap = DrawnLcd(lcd);
  for (int line = 0; line < kLcdLines; ++line) {
    for (int column = 0; column < kLcdColumns; ++column) {
      LcdGlyph expected = ShownGlyph(lcd.codes[line][column], lcd.characterRam);
      if (line == 1 && column == 9) expected[kLcdGlyphRows - 1] = 0x1F;
      EXPECT_EQ(ReadCell(bitmap, line, column), expected) << line << "," << column;
    }
  }
  // The glass between cells stays clear, so that neighbours never run together.
  EXPECT_EQ(bitmap.At(LcdDotOrigin(0, 1, 0, 0).x - 2, LcdDotOrigin(0, 1, 0, 0).y), kLcdGlass);
}

TEST(CanvasBoardPictureTest, ABlinkingCursorCoversItsCellHalfTheTimeAndADisplayOffShowsNothing) {
  LcdPicture lcd;
  lcd.displayOn = true;
  lcd.codes[0].fill('x');
  lcd.cursorCell = std::array<int, 2>{0, 3};
  lcd.cursorBlink = true;
  EXPECT_EQ(ReadCell(DrawnLcd(lcd, true), 0, 3), (LcdGlyph{31, 31, 31, 31, 31, 31, 31, 31}));
  EXPECT_EQ(ReadCell(DrawnLcd(lcd, false), 0, 3), RomGlyph('x'));
  EXPECT_EQ(ReadCell(DrawnLcd(lcd, true), 0, 4), RomGlyph('x'));

  lcd.displayOn = false;
  const menu::Bitmap off = DrawnLcd(lcd, true);
  for (int column = 0; column < kLcdColumns; ++column) {
    EXPECT_EQ(ReadCell(off, 0, column), LcdGlyph{}) << column;
  }
}

}  // namespace
}  // namespace orvane::ui
