// An HD44780-compatible character display of 2 lines by 16 characters on an 8-bit bus: the
// instructions, the address counter, display shift, and the busy time of each instruction.
// An instruction or data write that arrives while the controller is still busy is lost, as it
// is on the real chip, so a program that neither waits nor reads the busy flag shows garbage.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace orvane::sim {

class LcdHd44780 {
 public:
  static constexpr int kColumns = 16;
  // Busy times in machine cycles at 11.0592 MHz: 37 us for most instructions, 1.52 ms for
  // clear and home.
  static constexpr std::uint64_t kShortBusy = 35;
  static constexpr std::uint64_t kLongBusy = 1401;

  LcdHd44780() { PowerOn(); }
  void PowerOn();

  void WriteInstruction(std::uint8_t value, std::uint64_t cycle);
  void WriteData(std::uint8_t value, std::uint64_t cycle);
  // Busy flag (bit 7) and address counter.
  std::uint8_t ReadStatus(std::uint64_t cycle) const;
  std::uint8_t ReadData(std::uint64_t cycle);

  // The visible characters of line 0 or 1 (empty while the display is off), trailing blanks
  // removed; characters outside printable ASCII show as '?'.
  std::string Line(int line) const;
  bool DisplayOn() const { return displayOn_; }
  bool CursorOn() const { return cursorOn_; }
  bool BlinkOn() const { return blinkOn_; }
  std::uint64_t LostWrites() const { return lostWrites_; }

  // The character codes line 0 or 1 shows with the display shift applied, whether the display
  // is on or off.
  std::array<std::uint8_t, kColumns> Visible(int line) const;
  // The cell the cursor stands in (line, column); empty while the address counter points into
  // the character-generator RAM or at a DDRAM cell shifted out of view.
  std::optional<std::pair<int, int>> CursorCell() const;
  // The eight custom characters, eight rows of five dots (the low bits) each.
  const std::array<std::uint8_t, 64>& Cgram() const { return cgram_; }

 private:
  bool Busy(std::uint64_t cycle) const { return cycle < busyUntil_; }
  void Advance();
  void MoveAddress(bool forward);
  // The DDRAM offset within its line that visible column `column` shows.
  int OffsetOfColumn(int column) const { return ((column + shift_) % 40 + 40) % 40; }

  std::array<std::uint8_t, 0x80> ddram_{};
  std::array<std::uint8_t, 64> cgram_{};
  std::uint8_t address_ = 0;
  bool cgramSelected_ = false;
  bool increment_ = true;
  bool shiftOnWrite_ = false;
  bool displayOn_ = false;
  bool cursorOn_ = false;
  bool blinkOn_ = false;
  int shift_ = 0;
  std::uint64_t busyUntil_ = 0;
  std::uint64_t lostWrites_ = 0;
};

}  // namespace orvane::sim
