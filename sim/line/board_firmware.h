// The virtual board's resident firmware: a state machine that takes the host's bytes one at a
// time and says what the board sends back and when. It knows nothing of lines and clocks; the
// virtual board (virtual_board.h) puts it on a line.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "download/memory_image.h"
#include "sim/line/board_config.h"

namespace orvane::sim {

// One byte that the board sends, due `delay` after the end of the byte that caused it.
struct Answer {
  std::uint8_t byte = 0;
  Micros delay{0};
};

enum class FirmwareState {
  Idle,         // after a reset: waits for the handshake's first byte
  Synced,       // got 0x80, waits for '*'
  Ready,        // handshake answered, waits for '*' to start a command
  Command,      // got '*', waits for a command code
  Selftest,     // got 0x05, waits for the second 0x05
  PageEndHigh,  // page transfer: the end address, high then low
  PageEndLow,
  PageLength,  // then per page: length, address high and low, data
  PageAddressHigh,
  PageAddressLow,
  PageData,
  ByteStartHigh,  // byte transfer: start high, end high, start low, end low, data
  ByteEndHigh,
  ByteStartLow,
  ByteEndLow,
  ByteData,
  ProgramRunning,  // the downloaded program runs until the next reset
};

// What a downloaded program of `size` bytes from the start of program memory does, judged by its
// code: one that reads the serial buffer and writes it back is the echo program; one that loads
// the report letters 'L' and 'S' into the accumulator is the memory test; anything else is
// taken as silent. The canned behaviours (`--program auto`) play them without running the code.
ProgramBehaviour RecogniseProgram(const std::uint8_t* code, std::size_t size);

class BoardFirmware {
 public:
  // Memory bytes that nothing has written hold this, as an erased memory chip does.
  static constexpr std::uint8_t kErased = 0xFF;

  explicit BoardFirmware(const BoardConfig& config);

  void SetConfig(const BoardConfig& config) { config_ = config; }
  // The DTR pulse: back to the resident firmware waiting for a handshake. Memory is kept.
  void Reset();
  // One byte received complete; returns what the board sends in answer, in order.
  std::vector<Answer> Receive(std::uint8_t byte);

  FirmwareState State() const { return state_; }
  bool ProgramStarted() const { return state_ == FirmwareState::ProgramRunning; }
  // The program memory, byte i at board address download::ImageBase + i.
  const std::array<std::uint8_t, download::ImageSize>& Memory() const { return memory_; }
  std::array<std::uint8_t, download::ImageSize>& Memory() { return memory_; }
  // The last command code accepted (0 before any) and the end address of the last download.
  std::uint8_t LastCommand() const { return lastCommand_; }
  std::uint16_t LastEndAddress() const { return end_; }
  // Downloads that ran to their end and started the program.
  int CompletedDownloads() const { return completedDownloads_; }

 private:
  void Store(std::uint16_t address, std::uint8_t value);
  void StartCommand(std::uint8_t code, std::vector<Answer>& out);
  void StartProgram(Micros after, std::vector<Answer>& out);
  void EndPage(std::vector<Answer>& out);
  void Echo(std::uint8_t byte, bool wanted, std::vector<Answer>& out) const;
  void ApplyFaults(std::vector<Answer>& out);
  void ReceiveControl(std::uint8_t byte, std::vector<Answer>& out);
  bool ReceivePage(std::uint8_t byte, std::vector<Answer>& out);
  bool ReceiveBytes(std::uint8_t byte, std::vector<Answer>& out);

  BoardConfig config_;
  FirmwareState state_ = FirmwareState::Idle;
  std::array<std::uint8_t, download::ImageSize> memory_;
  std::uint8_t lastCommand_ = 0;
  bool verify_ = false;
  std::uint16_t start_ = 0;
  std::uint16_t end_ = 0;
  std::uint32_t address_ = 0;  // next address to store at (wider: a page may end at 0x10000)
  int pageLength_ = 0;
  int pageLeft_ = 0;
  int completedDownloads_ = 0;
  // Counted bytes for the faults; empty while the counting has not begun.
  std::optional<std::uint64_t> counted_;
  std::uint64_t handshakes_ = 0;  // handshakes begun, for faultHandshakes
  // What the program started last plays.
  ProgramBehaviour running_ = ProgramBehaviour::Silent;
};

}  // namespace orvane::sim
