// The live view's loop, shared by `orvane-board --run FILE --view` and `orvane download ...
// --view`: looks at the board at most kFramesPerSecond times a second, shows a look only when it
// differs from the last one shown, and hands the user's keys to the board. It knows neither the
// terminal nor the board's kind: a LiveBoard is the board, a ViewScreen the terminal (or the
// stream of plain-text frames), and time comes from a Clock, so tests run it on virtual time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sim/board/board_snapshot.h"
#include "sim/board/clock.h"

namespace orvane::sim {

// The most looks a second of every live view: the terminal's and the window's.
inline constexpr int kFramesPerSecond = 30;
// How long F1 or F2 holds its button down: a terminal reports no key going up.
inline constexpr Micros kButtonPress{100000};

class LiveBoard {
 public:
  virtual ~LiveBoard() = default;
  // Brings the board up to `now` (on the view's clock) and reads it.
  virtual BoardSnapshot Read(Micros now) = 0;
  virtual void SetButton(int button, bool pressed) = 0;
  // Keys for the program's serial port.
  virtual void Type(std::string_view bytes) = 0;
  // The title line's words for the board's state ("running x1", ...).
  virtual std::string Status(const BoardSnapshot& snapshot) const = 0;
};

// What the user did while the view waited.
struct ViewInput {
  std::string typed;
  bool buttons[2] = {false, false};  // F1, F2
  bool stop = false;                 // Ctrl+C, a termination request, a hang-up
  bool redraw = false;               // the terminal came back or changed size
};

class ViewScreen {
 public:
  virtual ~ViewScreen() = default;
  // True for the drawn picture, false for plain-text frames.
  virtual bool Drawn() const = 0;
  virtual void Show(const BoardSnapshot& snapshot, const std::string& status) = 0;
  // Returns at `deadline` on `clock`, or sooner with what the user did.
  virtual ViewInput Wait(Clock& clock, Micros deadline) = 0;
};

struct LiveViewOptions {
  std::optional<double> seconds;  // the view ends after this long
  // The view ends once the board has run this many machine cycles.
  std::optional<std::uint64_t> cycles;
  // Plain-text frames end with the program (nothing can change it any more); a drawn picture
  // stands until the user ends it.
  bool endWithProgram = false;
};

// Sorts bytes read from a terminal: F1 and F2 (as xterm, VT220 and the Linux console send them)
// press the buttons, everything else is typed to the program.
void ParseKeys(std::string_view bytes, ViewInput& input);

enum class ViewEnd { Stopped, Seconds, Cycles, ProgramEnded };

ViewEnd RunLiveView(LiveBoard& board, ViewScreen& screen, Clock& clock,
                    const LiveViewOptions& options);

// The exit status of a command whose view ended so, the same for every command that shows one:
// 130, as for any program interrupted, when Ctrl+C (or a termination request) cut plain-text
// frames short; 0 otherwise, Ctrl+C being the drawn view's own way out.
int ViewExitStatus(ViewEnd end, bool drawn);

}  // namespace orvane::sim
