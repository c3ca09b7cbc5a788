// The 5 x 8 dot shapes of the board's character display, drawn by our views: the controller's
// standard ROM shapes for 0x20 to 0x7F (0x5C is the yen sign, 0x7E and 0x7F the arrows right and
// left), the eight characters a program defines in the controller's character RAM for 0x00 to
// 0x0F (each twice), and a hollow box for every code the ROM table here does not hold.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace orvane::ui {

inline constexpr int kLcdGlyphColumns = 5;
inline constexpr int kLcdGlyphRows = 8;
// The character RAM: eight characters of eight rows.
inline constexpr int kLcdCustomCharacters = 8;
inline constexpr int kLcdCharacterRamSize = kLcdCustomCharacters * kLcdGlyphRows;

// One row a byte, top first; bit 4 is the leftmost dot, bits 5 to 7 are not shown.
using LcdGlyph = std::array<std::uint8_t, kLcdGlyphRows>;

// The ROM's shape of `code`; the hollow box outside 0x20 to 0x7F.
LcdGlyph RomGlyph(std::uint8_t code);

// The shape the display shows for `code`, taking 0x00 to 0x0F from `characterRam`.
LcdGlyph ShownGlyph(std::uint8_t code,
                    std::span<const std::uint8_t, kLcdCharacterRamSize> characterRam);

// Whether the dot in `column` (0 leftmost) of `row` is lit.
inline bool GlyphDot(const LcdGlyph& glyph, int row, int column) {
  return (glyph[static_cast<std::size_t>(row)] >> (kLcdGlyphColumns - 1 - column)) & 1;
}

}  // namespace orvane::ui
