// The Orvane board around its CPU, as a program running on it sees it.
//
//   crystal            11.0592 MHz: 921 600 machine cycles a second
//   code 0x0000-0x3FFF the monitor ROM. Its interrupt vectors (0x0003, 0x000B, 0x0013, 0x001B,
//                      0x0023, 0x002B) each hold an LJMP to 0x4000 plus the vector, and 0x0000
//                      an LJMP to 0x4000, so a program linked at 0x4000 finds its vectors there
//   code 0x4000-0x5FFF the 8 KB program memory, also external data at the same addresses
//   xdata 0x2000-0x2003 the 8255 PPI: port A, port B, port C, control word
//   xdata 0x3000-0x3003 the LCD (HD44780): write instruction, write data, read busy flag and
//                      address, read data (address bit 0 is RS, bit 1 is R/W)
//   xdata 0x8000-0xFFFF 32 KB of external RAM
//   P1                 eight pins brought out to the connector, each with an LED that lights
//                      while the pin is low; their level changes are counted
//   P3.2, P3.3         two push buttons (INT0, INT1) that pull the pin low while pressed
//   PPI connectors     a switch on every line, read on the lines the program sets as inputs
//
// Other external data addresses read 0xFF and ignore writes. The monitor itself is not 8051 code
// here: the firmware model (board_firmware.h) plays it, and StartProgram leaves the CPU as the
// monitor leaves it when it jumps to a downloaded program.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "download/memory_image.h"
#include "sim/board/lcd_hd44780.h"
#include "sim/board/ppi8255.h"
#include "sim/cpu/cpu8051.h"

namespace orvane::sim {

inline constexpr std::uint32_t kCrystalHz = 11059200;
inline constexpr std::uint32_t kMachineCyclesPerSecond = kCrystalHz / 12;
inline constexpr std::uint16_t kProgramStart = 0x4000;
inline constexpr std::uint16_t kPpiBase = 0x2000;
inline constexpr std::uint16_t kLcdBase = 0x3000;
inline constexpr std::uint16_t kExternalRamBase = 0x8000;

// TH1 and SMOD for a rate, with timer 1 in mode 2; empty when timer 1 cannot make the rate
// within 1 % from this crystal.
struct SerialTiming {
  std::uint8_t th1 = 0;
  bool smod = false;
};
std::optional<SerialTiming> SerialTimingFor(std::uint32_t baud);

// One bit of external RAM that reads as a fixed value whatever is written (a faulty chip).
struct StuckBit {
  std::uint16_t address = 0x9234;
  int bit = 3;
  bool value = true;
};

// "ADDRESS:BIT:VALUE" (numbers in C notation); empty when malformed or outside the RAM.
std::optional<StuckBit> ParseStuckBit(const std::string& text);

class BoardModel final : public Cpu8051Bus {
 public:
  BoardModel();

  Cpu8051& Cpu() { return cpu_; }
  const Cpu8051& Cpu() const { return cpu_; }
  void SetStuckBit(std::optional<StuckBit> stuck) { stuck_ = stuck; }
  // Every byte the program's serial port finishes sending, with its machine cycle.
  void OnSerialSent(std::function<void(std::uint8_t, std::uint64_t)> sink) {
    serialSink_ = std::move(sink);
  }

  // Puts bytes into the program memory (byte i at 0x4000 + i).
  void LoadProgram(const std::array<std::uint8_t, download::ImageSize>& memory);
  // Resets the CPU and starts the program at 0x4000 as the monitor does: serial port in mode 1
  // with reception on and TI set (the monitor's last byte has gone), timer 1 in mode 2 running
  // with TH1 and SMOD for `baud`.
  void StartProgram(std::uint32_t baud);

  // The buttons on P3.2 (0) and P3.3 (1), and the switches on a PPI port's lines (0 A, 1 B,
  // 2 C; a bit set is a switch open, the line high).
  void SetButton(int button, bool pressed);
  bool ButtonPressed(int button) const { return (buttons_ >> button) & 1; }
  void SetSwitches(int port, std::uint8_t levels) { ppi_.SetInputs(port, levels); }

  std::uint64_t P1Edges(int pin) const { return p1Edges_[pin]; }
  std::uint64_t P3Edges(int pin) const { return p3Edges_[pin]; }
  // The bytes the program's serial port has sent: their count, and the latest of them (at least
  // the last kSerialKept).
  static constexpr std::size_t kSerialKept = 4096;
  std::uint64_t SerialCount() const { return serialCount_; }
  const std::string& SerialTail() const { return serialTail_; }
  const Ppi8255& Ppi() const { return ppi_; }
  const LcdHd44780& Lcd() const { return lcd_; }
  // The report lines `orvane-board --run --report` prints.
  std::string Report() const;

  // Cpu8051Bus
  std::uint8_t ReadData(std::uint16_t address, std::uint64_t cycle) override;
  void WriteData(std::uint16_t address, std::uint8_t value, std::uint64_t cycle) override;
  void PortWritten(int port, std::uint8_t before, std::uint8_t after, std::uint64_t cycle) override;
  void SerialSent(std::uint8_t byte, std::uint64_t cycle) override;

 private:
  void InstallMonitorVectors();
  void CountEdges(std::array<std::uint64_t, 8>& edges, std::uint8_t changed);
  // What the buttons drive on port 3: low where one is pressed.
  std::uint8_t ButtonLevels() const { return static_cast<std::uint8_t>(~(buttons_ << 2)); }

  Cpu8051 cpu_;
  std::array<std::uint8_t, 0x8000> ram_{};
  std::optional<StuckBit> stuck_;
  Ppi8255 ppi_;
  LcdHd44780 lcd_;
  std::array<std::uint64_t, 8> p1Edges_{};
  std::array<std::uint64_t, 8> p3Edges_{};
  std::uint8_t buttons_ = 0;
  std::uint64_t serialCount_ = 0;
  std::string serialTail_;
  std::function<void(std::uint8_t, std::uint64_t)> serialSink_;
};

}  // namespace orvane::sim
