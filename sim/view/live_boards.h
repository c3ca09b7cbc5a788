// The boards the live view shows: the board model that `orvane-board --run --view` runs itself,
// paced to a speed, and the in-process virtual board that runs on its own.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>

#include "sim/board/board_model.h"
#include "sim/line/virtual_board.h"
#include "sim/view/live_view.h"

namespace orvane::sim {

// A program on a board model, run up to the present at `speed` times the board's own (0: as
// fast as it goes); a lag over VirtualBoard::kMaxLag is dropped, not caught up in a burst.
class PacedBoard final : public LiveBoard {
 public:
  PacedBoard(BoardModel& board, double speed, std::optional<std::uint64_t> maxCycles, Micros start);

  BoardSnapshot Read(Micros now) override;
  void SetButton(int button, bool pressed) override { board_.SetButton(button, pressed); }
  void Type(std::string_view bytes) override {
    typed_.insert(typed_.end(), bytes.begin(), bytes.end());
  }
  std::string Status(const BoardSnapshot& snapshot) const override;

 private:
  std::uint64_t Target(Micros now);
  void RunTo(std::uint64_t target);

  BoardModel& board_;
  double speed_;
  std::optional<std::uint64_t> maxCycles_;
  Micros base_;                   // a moment of the clock ...
  std::uint64_t baseCycles_ = 0;  // ... and the cycle count the run had then
  std::deque<std::uint8_t> typed_;
};

// The in-process virtual board: it keeps its own time; the view only looks and drives inputs.
class VirtualLiveBoard final : public LiveBoard {
 public:
  explicit VirtualLiveBoard(std::shared_ptr<VirtualBoard> board) : board_(std::move(board)) {}

  BoardSnapshot Read(Micros) override { return board_->Snapshot(); }
  void SetButton(int button, bool pressed) override { board_->SetButton(button, pressed); }
  void Type(std::string_view bytes) override;
  std::string Status(const BoardSnapshot& snapshot) const override;

 private:
  std::shared_ptr<VirtualBoard> board_;
};

}  // namespace orvane::sim
