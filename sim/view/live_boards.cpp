#include "sim/view/live_boards.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

namespace orvane::sim {

namespace {

// Machine cycles between looks at the typed keys, short against a byte's time at any usual rate.
constexpr std::uint64_t kSlice = 256;
// As fast as it goes: a look runs the CPU for this much of the machine's time.
constexpr auto kFlatOutBudget = std::chrono::milliseconds(25);
constexpr std::uint64_t kFlatOutChunk = 20000;

std::string Words(const BoardSnapshot& snapshot) {
  if (!snapshot.programRunning) return "in its monitor";
  return snapshot.programEnded ? "program ended" : "running";
}

}  // namespace

PacedBoard::PacedBoard(BoardModel& board, double speed, std::optional<std::uint64_t> maxCycles,
                       Micros start)
    : board_(board),
      speed_(speed),
      maxCycles_(maxCycles),
      base_(start),
      baseCycles_(board.Cpu().Cycles()) {}

std::uint64_t PacedBoard::Target(Micros now) {
  const Cpu8051& cpu = board_.Cpu();
  const double perMicro = speed_ * kMachineCyclesPerSecond / 1e6;
  const double lagLimit = perMicro * static_cast<double>(VirtualBoard::kMaxLag.count());
  auto target = static_cast<std::uint64_t>(static_cast<double>(baseCycles_) +
                                           perMicro * static_cast<double>((now - base_).count()));
  if (static_cast<double>(target) - static_cast<double>(cpu.Cycles()) > lagLimit) {
    base_ = now;  // lost time is dropped
    baseCycles_ = cpu.Cycles();
    target = baseCycles_;
  }
  return target;
}

void PacedBoard::RunTo(std::uint64_t target) {
  Cpu8051& cpu = board_.Cpu();
  while (cpu.Cycles() < target && !cpu.Stopped()) {
    // One byte waiting behind the one being received keeps the line busy without a gap.
    if (!typed_.empty() && cpu.SerialInputWaiting() < 2) {
      cpu.SerialReceive(typed_.front(), cpu.Cycles());
      typed_.pop_front();
    }
    cpu.Run(typed_.empty() ? target : std::min(target, cpu.Cycles() + kSlice));
  }
}

BoardSnapshot PacedBoard::Read(Micros now) {
  Cpu8051& cpu = board_.Cpu();
  const std::uint64_t limit = maxCycles_.value_or(Cpu8051::kNever);
  if (speed_ > 0) {
    RunTo(std::min(Target(now), limit));
  } else {
    const auto until = std::chrono::steady_clock::now() + kFlatOutBudget;
    do {
      RunTo(std::min(cpu.Cycles() + kFlatOutChunk, limit));
    } while (!cpu.Stopped() && cpu.Cycles() < limit && std::chrono::steady_clock::now() < until);
  }
  return ReadBoard(board_);
}

std::string PacedBoard::Status(const BoardSnapshot& snapshot) const {
  std::string status = Words(snapshot);
  if (speed_ <= 0) return status + ", as fast as it goes";
  char speed[32];
  std::snprintf(speed, sizeof speed, ", x%g", speed_);
  return status + speed;
}

void VirtualLiveBoard::Type(std::string_view bytes) {
  const std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
  board_->TypeToProgram(data.data(), data.size());
}

std::string VirtualLiveBoard::Status(const BoardSnapshot& snapshot) const {
  return Words(snapshot) + " on VIRTUAL";
}

}  // namespace orvane::sim
