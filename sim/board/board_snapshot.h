// One look at the board as every view shows it (the window's picture, the terminal's, the
// plain-text frames): the pins, the LCD and what the program sent, taken at one moment, so that
// a view never shows half of a change. A view keeps a BoardLooker, which adds what happened since
// that view's own last look: the bytes sent meanwhile and the pins that changed too often to see.
//
// A view in the program finds the in-process board by its port name (FindVirtualBoard in
// virtual_board_registry.h) and looks with VirtualBoard::Snapshot(); `orvane-board --run` reads
// its own board model with ReadBoard().
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace orvane::sim {

class BoardModel;

// The board's eight-pin groups, in the order the views list them.
enum class PinGroup { P1, P3, PpiA, PpiB, PpiC };
inline constexpr int kPinGroups = 5;
inline constexpr std::size_t Index(PinGroup group) { return static_cast<std::size_t>(group); }

struct LcdSnapshot {
  static constexpr int kLines = 2;
  static constexpr int kColumns = 16;
  // The character codes the two lines show, display shift applied; kept while the display is off
  // (it shows nothing then, but turned on again it shows them).
  std::array<std::array<std::uint8_t, kColumns>, kLines> cells{};
  // The character-generator RAM: codes 0-7 (and 8-15 again), eight rows each, dots in bits 4-0.
  std::array<std::uint8_t, 64> cgram{};
  bool displayOn = false;
  bool cursorOn = false;  // the underline
  bool blinkOn = false;   // the blinking block
  // The cell the cursor stands in; -1 when it stands outside the visible part.
  int cursorLine = -1;
  int cursorColumn = -1;

  bool operator==(const LcdSnapshot&) const = default;
};

struct BoardSnapshot {
  // Counts the board's fresh starts: it changes when a download starts a program or a reset
  // puts the board back in its monitor, so a view knows to clear what it kept.
  std::uint64_t run = 0;
  bool programRunning = false;  // false: the board sits in its monitor
  bool programEnded = false;    // the program jumped to itself for good: the picture stands
  std::uint64_t cycles = 0;     // machine cycles since the program started

  // Pin levels, bit 7 first as pin 7 (P1: an LED lit where low; PPI: what the pins carry, the
  // switches on input lines).
  std::array<std::uint8_t, kPinGroups> levels{0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  // The PPI lines the program set as outputs (port C by halves); P1 and P3 have no direction
  // and show 0xFF.
  std::array<std::uint8_t, kPinGroups> outputs{0xFF, 0xFF, 0, 0, 0};
  // The inputs as the user set them: buttons (bit 0 INT0, bit 1 INT1) and the PPI switches.
  std::uint8_t buttonsPressed = 0;
  std::array<std::uint8_t, 3> switches{0xFF, 0xFF, 0xFF};
  LcdSnapshot lcd;

  // Filled by BoardLooker: the pins that changed more than twice since the view's last look
  // (too fast to see: a view draws them half-lit), and the bytes sent since then.
  std::array<std::uint8_t, kPinGroups> busy{};
  std::string serial;

  // The running totals BoardLooker works from: level changes per pin, and bytes sent with the
  // latest of them.
  std::array<std::array<std::uint64_t, 8>, kPinGroups> edges{};
  std::uint64_t serialCount = 0;
  std::string serialTail;
};

// Reads the board model as it stands (a program running on it).
BoardSnapshot ReadBoard(const BoardModel& board);

// The board in its monitor: no program drives anything, every PPI line an input.
BoardSnapshot MonitorSnapshot(std::uint8_t buttonsPressed,
                              const std::array<std::uint8_t, 3>& switches);

// Turns readings of one board into what one view shows, each with what happened since the
// previous one.
class BoardLooker {
 public:
  BoardSnapshot Look(BoardSnapshot reading);

 private:
  bool looked_ = false;
  std::uint64_t run_ = 0;
  std::array<std::array<std::uint64_t, 8>, kPinGroups> edges_{};
  std::uint64_t serialCount_ = 0;
};

// Whether a view shows two looks alike (it redraws only when not).
bool ShowsSame(const BoardSnapshot& a, const BoardSnapshot& b);

}  // namespace orvane::sim
