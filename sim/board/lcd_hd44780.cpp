#include "sim/board/lcd_hd44780.h"

namespace orvane::sim {

void LcdHd44780::PowerOn() {
  ddram_.fill(' ');
  cgram_.fill(0);
  address_ = 0;
  cgramSelected_ = false;
  increment_ = true;
  shiftOnWrite_ = false;
  displayOn_ = false;
  cursorOn_ = false;
  blinkOn_ = false;
  shift_ = 0;
  busyUntil_ = 0;
}

void LcdHd44780::Advance() {
  MoveAddress(increment_);
  if (!cgramSelected_ && shiftOnWrite_) shift_ += increment_ ? 1 : -1;
}

void LcdHd44780::MoveAddress(bool forward) {
  if (cgramSelected_) {
    address_ = static_cast<std::uint8_t>((address_ + (forward ? 1 : -1)) & 0x3F);
    return;
  }
  // Two-line addressing: line 1 is 0x00-0x27, line 2 is 0x40-0x67, each running into the other.
  int next = address_ + (forward ? 1 : -1);
  if (next == 0x28) next = 0x40;
  if (next == 0x68) next = 0x00;
  if (next == 0x3F) next = 0x27;
  if (next == -1) next = 0x67;
  address_ = static_cast<std::uint8_t>(next);
}

void LcdHd44780::WriteInstruction(std::uint8_t value, std::uint64_t cycle) {
  if (Busy(cycle)) {
    ++lostWrites_;
    return;
  }
  busyUntil_ = cycle + kShortBusy;
  if (value & 0x80) {  // set DDRAM address
    address_ = value & 0x7F;
    cgramSelected_ = false;
  } else if (value & 0x40) {  // set CGRAM address
    address_ = value & 0x3F;
    cgramSelected_ = true;
  } else if (value & 0x20) {
    // Function set: the board's display is wired for 8 bits and two lines.
  } else if (value & 0x10) {  // cursor or display shift
    if (value & 0x08) {
      shift_ += (value & 0x04) ? -1 : 1;
    } else {
      MoveAddress((value & 0x04) != 0);  // the cursor, and with it the next write
    }
  } else if (value & 0x08) {  // display on/off control
    displayOn_ = (value & 0x04) != 0;
    cursorOn_ = (value & 0x02) != 0;
    blinkOn_ = (value & 0x01) != 0;
  } else if (value & 0x04) {  // entry mode set
    increment_ = (value & 0x02) != 0;
    shiftOnWrite_ = (value & 0x01) != 0;
  } else if (value & 0x02) {  // return home
    address_ = 0;
    cgramSelected_ = false;
    shift_ = 0;
    busyUntil_ = cycle + kLongBusy;
  } else if (value & 0x01) {  // clear display
    ddram_.fill(' ');
    address_ = 0;
    cgramSelected_ = false;
    shift_ = 0;
    increment_ = true;
    busyUntil_ = cycle + kLongBusy;
  }
}

void LcdHd44780::WriteData(std::uint8_t value, std::uint64_t cycle) {
  if (Busy(cycle)) {
    ++lostWrites_;
    return;
  }
  busyUntil_ = cycle + kShortBusy;
  if (cgramSelected_) {
    cgram_[address_ & 0x3F] = value;
  } else {
    ddram_[address_ & 0x7F] = value;
  }
  Advance();
}

std::uint8_t LcdHd44780::ReadStatus(std::uint64_t cycle) const {
  return static_cast<std::uint8_t>((Busy(cycle) ? 0x80 : 0) | (address_ & 0x7F));
}

std::uint8_t LcdHd44780::ReadData(std::uint64_t cycle) {
  if (Busy(cycle)) return 0xFF;
  busyUntil_ = cycle + kShortBusy;
  const std::uint8_t value = cgramSelected_ ? cgram_[address_ & 0x3F] : ddram_[address_ & 0x7F];
  Advance();
  return value;
}

std::string LcdHd44780::Line(int line) const {
  if (!displayOn_) return {};
  std::string text;
  const int base = line == 0 ? 0x00 : 0x40;
  for (int column = 0; column < kColumns; ++column) {
    const std::uint8_t c = ddram_[static_cast<std::size_t>(base + OffsetOfColumn(column))];
    text += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
  }
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

std::array<std::uint8_t, LcdHd44780::kColumns> LcdHd44780::Visible(int line) const {
  std::array<std::uint8_t, kColumns> cells{};
  const int base = line == 0 ? 0x00 : 0x40;
  for (int column = 0; column < kColumns; ++column) {
    cells[static_cast<std::size_t>(column)] =
        ddram_[static_cast<std::size_t>(base + OffsetOfColumn(column))];
  }
  return cells;
}

std::optional<std::pair<int, int>> LcdHd44780::CursorCell() const {
  if (cgramSelected_) return std::nullopt;
  const int line = address_ >= 0x40 ? 1 : 0;
  const int offset = address_ - (line == 0 ? 0x00 : 0x40);
  for (int column = 0; column < kColumns; ++column) {
    if (OffsetOfColumn(column) == offset) return std::pair{line, column};
  }
  return std::nullopt;
}

}  // namespace orvane::sim
