// An HD44780-compatible character display of 2 lines by 16 characters on an 8-bit bus: the
// instructions, the address counter, display shift, and the busy time of each instruction.
// An instruction or data write that arrives while the controller is still busy is lost, as it
// is on the real chip, so a program that neither waits nor reads the busy flag shows garbage.
#pragma once

#include <array>
#include <cstdint>
#include <string>

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
  std::uint64_t LostWrites() const { return lostWrites_; }

 private:
  bool Busy(std::uint64_t cycle) const { return cycle < busyUntil_; }
  void Advance();
  void MoveAddress(bool forward);

  std::array<std::uint8_t, 0x80> ddram_{};
  std::array<std::uint8_t, 64> cgram_{};
  std::uint8_t address_ = 0;
  bool cgramSelected_ = false;
  bool increment_ = true;
  bool shiftOnWrite_ = false;
  bool displayOn_ = false;
  int shift_ = 0;
  std::uint64_t busyUntil_ = 0;
  std::uint64_t lostWrites_ = 0;
};

}  // namespace orvane::sim
