// The board drawn on a text terminal with colours and symbols, in place, with what the program
// sent in a scrolling pane below it. Everything the program produced reaches the terminal
// escaped: neither the LCD nor the serial bytes can send the terminal a control sequence.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

#include "sim/board/board_snapshot.h"

namespace orvane::sim {

class TerminalBoardPicture {
 public:
  // Rows of the board above the serial pane.
  static constexpr int kBoardRows = 13;

  // Bytes the program sent: a line feed, a carriage return or the two together end a pane line;
  // anything else not plain text is escaped. The pane keeps as many lines as a tall terminal shows.
  void AddSerial(std::string_view bytes);
  void ClearSerial();
  // The whole screen for a terminal of `rows` by `columns`, drawn from the top-left corner;
  // `status` stands on the title line (running, ended, speed).
  std::string Draw(const BoardSnapshot& snapshot, const std::string& status, int rows,
                   int columns) const;

  // The escape sequences that take over the terminal's screen and give it back.
  static const char* EnterScreen();
  static const char* LeaveScreen();

 private:
  static constexpr std::size_t kPaneLinesKept = 200;
  std::string PaneLines(int rows, int columns) const;

  std::deque<std::string> lines_{std::string()};
  bool afterReturn_ = false;  // a line feed right after it ends no second line
};

// How an LCD character code shows on a terminal: itself for plain text, the controller's own
// shapes for 0x5C (yen), 0x7E and 0x7F (arrows), the custom characters' numbers, a hollow box for
// the rest. Each is one column wide.
std::string LcdCellGlyph(std::uint8_t code);

}  // namespace orvane::sim
