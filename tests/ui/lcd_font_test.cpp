// The display's dot font, checked by what a reader of the display relies on rather than by its
// table: every printable shape shows, no two codes look alike, the codes a program defines show
// exactly what it wrote.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "ui/drawing/lcd_font.h"

namespace orvane::ui {
namespace {

constexpr std::uint8_t kLastRomCode = 0x7F;

int DotCount(const LcdGlyph& glyph) {
  int count = 0;
  for (int row = 0; row < kLcdGlyphRows; ++row) {
    for (int column = 0; column < kLcdGlyphColumns; ++column) count += GlyphDot(glyph, row, column);
  }
  return count;
}

LcdGlyph Mirrored(const LcdGlyph& glyph) {
  LcdGlyph mirrored{};
  for (int row = 0; row < kLcdGlyphRows; ++row) {
    for (int column = 0; column < kLcdGlyphColumns; ++column) {
      if (GlyphDot(glyph, row, column)) {
        mirrored[row] |= static_cast<std::uint8_t>(1 << column);
      }
    }
  }
  return mirrored;
}

TEST(LcdFontTest, EveryPrintableCodeShowsDotsWithinFiveColumnsAndLeavesTheCursorRowDark) {
  EXPECT_EQ(DotCount(RomGlyph(0x20)), 0);
  for (int code = 0x21; code <= kLastRomCode; ++code) {
    const LcdGlyph glyph = RomGlyph(static_cast<std::uint8_t>(code));
    EXPECT_GT(DotCount(glyph), 0) << std::hex << code;
    EXPECT_EQ(glyph[kLcdGlyphRows - 1], 0) << std::hex << code;
    for (std::uint8_t row : glyph) EXPECT_EQ(row & ~0x1F, 0) << std::hex << code;
  }
}

TEST(LcdFontTest, NoTwoCodesLookAlikeAndEveryUnknownCodeIsTheSameHollowBox) {
  std::map<LcdGlyph, int> seen;
  for (int code = 0x20; code <= kLastRomCode; ++code) {
    const auto [at, added] = seen.emplace(RomGlyph(static_cast<std::uint8_t>(code)), code);
    EXPECT_TRUE(added) << std::hex << code << " looks like " << at->second;
  }
  const LcdGlyph box = RomGlyph(0x80);
  EXPECT_FALSE(seen.contains(box));
  EXPECT_EQ(box.front() & 0x1F, 0x1F);
  for (int code : {0x00, 0x0F, 0x10, 0x1F, 0x80, 0xA5, 0xFF}) {
    EXPECT_EQ(RomGlyph(static_cast<std::uint8_t>(code)), box) << std::hex << code;
  }
  for (int code = 0x10; code < 0x20; ++code) {
    EXPECT_EQ(ShownGlyph(static_cast<std::uint8_t>(code), std::array<std::uint8_t, 64>{}), box);
  }
}

TEST(LcdFontTest, TheBoardsOwnCodesAreTheYenSignAndTwoArrows) {
  // The yen sign stands symmetric where a backslash would lean; the arrows mirror each other.
  EXPECT_EQ(Mirrored(RomGlyph(0x5C)), RomGlyph(0x5C));
  EXPECT_EQ(Mirrored(RomGlyph(0x7E)), RomGlyph(0x7F));
  EXPECT_NE(Mirrored(RomGlyph('/')), RomGlyph('/'));  // the check can tell a leaning shape
}

TEST(LcdFontTest, ACustomCharacterShowsExactlyItsRamBytesUnderBothOfItsCodes) {
  std::array<std::uint8_t, kLcdCharacterRamSize> ram{};
  for (std::size_t i = 0; i < ram.size(); ++i) ram[i] = static_cast<std::uint8_t>(i * 37 + 5);
  for (int code = 0; code < 2 * kLcdCustomCharacters; ++code) {
    const LcdGlyph glyph = ShownGlyph(static_cast<std::uint8_t>(code), ram);
    for (int row = 0; row < kLcdGlyphRows; ++row) {
      const std::uint8_t written = ram[(code % kLcdCustomCharacters) * kLcdGlyphRows + row];
      EXPECT_EQ(glyph[row], written & 0x1F) << "code " << code << " row " << row;
    }
  }
  EXPECT_EQ(ShownGlyph('A', ram), RomGlyph('A'));
}

}  // namespace
}  // namespace orvane::ui
