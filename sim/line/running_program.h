// A downloaded program running on the board model, in the virtual board's time: the CPU is run
// up to a given moment on request, its serial bytes come out with the moments they finish on the
// line, and the host's bytes go into its receiver. The line only carries bytes when the rate the
// program has set matches the host's (within 3 %, what a UART's sampling tolerates); otherwise
// every byte is lost both ways, as framing errors would lose it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "download/memory_image.h"
#include "sim/board/board_model.h"
#include "sim/board/clock.h"

namespace orvane::sim {

struct SentByte {
  std::uint8_t byte = 0;
  Micros end{0};  // the end of its stop bit
};

// What runs the CPU in place of its own Run: a debugger, which returns early at its stops and
// holds the CPU while stopped. While it holds, the board's time stands: the program does not
// fall behind, and resumes where it was.
class CpuController {
 public:
  virtual ~CpuController() = default;
  virtual void Run(std::uint64_t until, bool returnOnSend) = 0;
  virtual bool Holding() const = 0;
};

class RunningProgram {
 public:
  // Starts the program in `memory` at board time `start` as the monitor does for a connection
  // at `baud`.
  RunningProgram(const std::array<std::uint8_t, download::ImageSize>& memory, std::uint32_t baud,
                 Micros start, std::optional<StuckBit> stuckBit);

  // Runs the CPU up to `until` (never backwards), appending the bytes it finishes sending to
  // `sent`; with `stopAfter` > 0 it stops as soon as that many bytes have been appended.
  void AdvanceTo(Micros until, std::size_t stopAfter, std::vector<SentByte>& sent);
  // A byte from the host whose start bit begins at `start`, sent at `hostBaud`. False when the
  // program's rate does not match and the byte is lost.
  bool Receive(std::uint8_t byte, Micros start, std::uint32_t hostBaud);
  // Whether bytes sent by the program at its present rate reach a host at `hostBaud`.
  bool RateMatches(std::uint32_t hostBaud) const;
  // The controller that runs the CPU from now on (null: the CPU's own Run). It must outlive its
  // use here.
  void SetController(CpuController* controller) { controller_ = controller; }
  // The rate the monitor started the program's serial port at (a restart starts it so again).
  std::uint32_t StartBaud() const { return startBaud_; }
  // The board time the CPU has reached.
  Micros Now() const;
  bool Ended() const { return board_->Cpu().Stopped(); }
  const BoardModel& Board() const { return *board_; }
  // For the inputs (buttons, switches): change them only between runs.
  BoardModel& Board() { return *board_; }
  // A byte typed to the program at the rate it has set, its start bit at `start`; false when
  // its serial port has no rate (its timer stands).
  bool ReceiveAtOwnRate(std::uint8_t byte, Micros start);
  // Bytes typed at the program's own rate take this long each (zero without a rate).
  Micros OwnByteTime() const;
  // Lets the board time jump to `now` without running the CPU over the gap, when the program
  // has fallen more than `limit` behind: time lost (the host was suspended, or too slow) is
  // dropped rather than caught up in a burst.
  void DropLag(Micros now, Micros limit);

 private:
  std::uint64_t CycleAt(Micros time) const;
  Micros TimeOf(std::uint64_t cycle) const;

  // On the heap: the model holds 100 KB of memories and is handed around by pointer.
  std::unique_ptr<BoardModel> board_;
  Micros start_;
  std::uint32_t hostBaud_ = 0;
  std::uint32_t startBaud_ = 0;
  std::vector<SentByte>* sink_ = nullptr;
  CpuController* controller_ = nullptr;
};

}  // namespace orvane::sim
