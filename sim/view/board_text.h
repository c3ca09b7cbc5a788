// The board in words: the plain-text frames a script reads (`--view` without a terminal), and
// the texts the views give their parts (for screen readers and tests), all in one form:
//
//   P1    11100110             pin levels, bit 7 first (input PPI lines show their switches)
//   PPI A 00000000
//   PPI B 10000001
//   PPI C 11110000
//   LCD 1 |Hello, board!   |   the 16 characters shown, escaped as AppendEscaped escapes bytes;
//   LCD 2 |count: 17       |   a display that is off shows 16 blanks
//   UART <text>                what the program sent since the last frame, escaped (only when
//                              it sent anything)
#pragma once

#include <cstdint>
#include <string>

#include "sim/board/board_snapshot.h"

namespace orvane::sim {

// "11100110": bit 7 first.
std::string BitsText(std::uint8_t levels);
// "P1", "P3", "PPI A", "PPI B", "PPI C".
const char* PinGroupName(PinGroup group);
// An LCD line's 16 characters as shown, escaped (blanks while the display is off).
std::string LcdLineText(const LcdSnapshot& lcd, int line);
// One plain-text frame, every line ending in a newline.
std::string PlainFrame(const BoardSnapshot& snapshot);

}  // namespace orvane::sim
