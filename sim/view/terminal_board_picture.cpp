#include "sim/view/terminal_board_picture.h"

#include <algorithm>

#include "sim/view/board_text.h"
#include "ui/drawing/text_escape.h"

namespace orvane::sim {

namespace {

constexpr const char* kReset = "\x1b[0m";
constexpr const char* kEndLine = "\x1b[K\r\n";  // clears what an older frame left to the right

// One pin as a symbol: lit, dark, or half-lit when it changed too fast to see.
std::string Lamp(bool lit, bool busy, const char* colour) {
  if (busy) return std::string("\x1b[33m\u25d0") + kReset;  // ◐
  if (lit) return std::string(colour) + "\u25cf" + kReset;  // ●
  return "\x1b[2m\u25cb\x1b[0m";                            // ○
}

// P1: the LEDs sink into the port, lit while the pin is low.
std::string P1Row(const BoardSnapshot& s) {
  std::string row = " P1    ";
  const std::uint8_t level = s.levels[Index(PinGroup::P1)];
  const std::uint8_t busy = s.busy[Index(PinGroup::P1)];
  for (int bit = 7; bit >= 0; --bit) {
    row += Lamp(!((level >> bit) & 1), (busy >> bit) & 1, "\x1b[1;31m") + " ";
  }
  return row + " LEDs, lit when low";
}

// A PPI port: outputs lit when high, inputs as the switch's position (up: high).
std::string PpiRow(const BoardSnapshot& s, PinGroup group) {
  std::string name = PinGroupName(group);
  name.resize(6, ' ');
  std::string row = " " + name;
  const std::uint8_t level = s.levels[Index(group)];
  const std::uint8_t out = s.outputs[Index(group)];
  const std::uint8_t busy = s.busy[Index(group)];
  for (int bit = 7; bit >= 0; --bit) {
    const bool high = (level >> bit) & 1;
    if ((out >> bit) & 1) {
      row += Lamp(high, (busy >> bit) & 1, "\x1b[1;32m");
    } else {
      row += high ? "\x1b[36m\u25b4\x1b[0m" : "\x1b[36m\u25be\x1b[0m";  // ▴ ▾ a switch
    }
    row += " ";
  }
  return row + " " + BitsText(level);
}

std::string LcdRow(const LcdSnapshot& lcd, int line) {
  std::string row = " \u2502\x1b[30;42m";  // │, dark on green
  for (int column = 0; column < LcdSnapshot::kColumns; ++column) {
    if (!lcd.displayOn) {
      row += ' ';
      continue;
    }
    const bool atCursor = lcd.cursorLine == line && lcd.cursorColumn == column;
    const std::uint8_t code =
        lcd.cells[static_cast<std::size_t>(line)][static_cast<std::size_t>(column)];
    if (atCursor && lcd.blinkOn) row += "\x1b[7m";
    if (atCursor && lcd.cursorOn) row += "\x1b[4m";
    row += LcdCellGlyph(code);
    if (atCursor) row += "\x1b[24;27m";
  }
  return row + kReset + "\u2502";
}

// The LCD's frame above or below it.
std::string Rule(const char* left, const char* right) {
  std::string rule = std::string(" ") + left;
  for (int column = 0; column < LcdSnapshot::kColumns; ++column) rule += "\u2500";  // ─
  return rule + right;
}

std::string Buttons(const BoardSnapshot& s) {
  const auto button = [&](int index, const char* name) {
    const bool down = (s.buttonsPressed >> index) & 1;
    return std::string(down ? "\x1b[7m" : "") + "[" + name + "]" + kReset;
  };
  return " " + button(0, "F1 INT0") + " " + button(1, "F2 INT1") +
         "  keys go to the program, Ctrl+C ends";
}

}  // namespace

std::string LcdCellGlyph(std::uint8_t code) {
  if (code < 0x10) return "\x1b[1m" + std::to_string(code & 7) + "\x1b[22m";  // custom
  if (code == 0x5C) return "\u00a5";                                          // ¥
  if (code == 0x7E) return "\u2192";                                          // →
  if (code == 0x7F) return "\u2190";                                          // ←
  if (ui::ShownAsItself(code)) return std::string(1, static_cast<char>(code));
  return "\u25af";  // ▯
}

void TerminalBoardPicture::AddSerial(std::string_view bytes) {
  for (const char c : bytes) {
    const auto byte = static_cast<std::uint8_t>(c);
    const bool afterReturn = afterReturn_;
    afterReturn_ = byte == '\r';
    if (byte == '\r' || (byte == '\n' && !afterReturn)) {
      lines_.emplace_back();
      if (lines_.size() > kPaneLinesKept) lines_.pop_front();
    } else if (byte != '\n') {
      ui::AppendEscaped(lines_.back(), byte);
    }
  }
}

void TerminalBoardPicture::ClearSerial() {
  lines_.assign(1, std::string());
  afterReturn_ = false;
}

std::string TerminalBoardPicture::PaneLines(int rows, int columns) const {
  // Long lines wrap; the newest rows show.
  std::deque<std::string> wrapped;
  const std::size_t width = static_cast<std::size_t>(std::max(columns - 1, 8));
  for (auto line = lines_.rbegin();
       line != lines_.rend() && wrapped.size() < static_cast<std::size_t>(rows); ++line) {
    std::deque<std::string> pieces;
    for (std::size_t at = 0; at < line->size() || pieces.empty(); at += width) {
      pieces.push_back(line->substr(at, width));
    }
    wrapped.insert(wrapped.begin(), pieces.begin(), pieces.end());
  }
  while (wrapped.size() > static_cast<std::size_t>(std::max(rows, 0))) wrapped.pop_front();
  std::string text;
  for (const std::string& line : wrapped) text += " " + line + kEndLine;
  return text;
}

std::string TerminalBoardPicture::Draw(const BoardSnapshot& s, const std::string& status, int rows,
                                       int columns) const {
  std::string screen = "\x1b[H";
  screen += std::string(" \x1b[1mOrvane board\x1b[0m  ") + status + kEndLine;
  screen += kEndLine;
  screen += P1Row(s) + kEndLine;
  for (const PinGroup group : {PinGroup::PpiA, PinGroup::PpiB, PinGroup::PpiC}) {
    screen += PpiRow(s, group) + kEndLine;
  }
  screen += Rule("\u250c", "\u2510") + kEndLine;  // ┌ ┐
  screen += LcdRow(s.lcd, 0) + kEndLine;
  screen += LcdRow(s.lcd, 1) + kEndLine;
  screen += Rule("\u2514", "\u2518") + kEndLine;  // └ ┘
  screen += Buttons(s) + kEndLine;
  screen += " \x1b[2m\u2500\u2500 serial \u2500\u2500\x1b[0m" + std::string(kEndLine);
  screen += kEndLine;
  screen += PaneLines(rows - kBoardRows - 1, columns);
  return screen + "\x1b[J";
}

const char* TerminalBoardPicture::EnterScreen() { return "\x1b[?1049h\x1b[?25l\x1b[H\x1b[2J"; }

const char* TerminalBoardPicture::LeaveScreen() { return "\x1b[0m\x1b[?25h\x1b[?1049l"; }

}  // namespace orvane::sim
