#include "sim/line/running_program.h"

#include <cmath>
#include <memory>

namespace orvane::sim {

namespace {

// Microseconds and machine cycles: 921 600 cycles a second is 1152 cycles every 1250 us.
constexpr std::int64_t kCyclesPer = 1152;
constexpr std::int64_t kMicrosPer = 1250;

}  // namespace

RunningProgram::RunningProgram(const std::array<std::uint8_t, download::ImageSize>& memory,
                               std::uint32_t baud, Micros start, std::optional<StuckBit> stuckBit)
    : board_(std::make_unique<BoardModel>()), start_(start), hostBaud_(baud), startBaud_(baud) {
  board_->SetStuckBit(stuckBit);
  board_->LoadProgram(memory);
  board_->OnSerialSent([this](std::uint8_t byte, std::uint64_t cycle) {
    // What the program sends at a rate the host does not use reaches it as garbage: lost here.
    if (sink_ && RateMatches(hostBaud_)) sink_->push_back({byte, TimeOf(cycle)});
  });
  board_->StartProgram(baud);
}

std::uint64_t RunningProgram::CycleAt(Micros time) const {
  if (time <= start_) return 0;
  return static_cast<std::uint64_t>((time - start_).count() * kCyclesPer / kMicrosPer);
}

Micros RunningProgram::TimeOf(std::uint64_t cycle) const {
  const auto cycles = static_cast<std::int64_t>(cycle);
  return start_ + Micros((cycles * kMicrosPer + kCyclesPer - 1) / kCyclesPer);
}

Micros RunningProgram::Now() const { return TimeOf(board_->Cpu().Cycles()); }

bool RunningProgram::RateMatches(std::uint32_t hostBaud) const {
  const double cyclesPerBit = board_->Cpu().SerialCyclesPerBit();
  if (cyclesPerBit <= 0 || hostBaud == 0) return false;
  const double programBaud = kMachineCyclesPerSecond / cyclesPerBit;
  return std::abs(programBaud / hostBaud - 1.0) < 0.03;
}

void RunningProgram::AdvanceTo(Micros until, std::size_t stopAfter, std::vector<SentByte>& sent) {
  Cpu8051& cpu = board_->Cpu();
  const std::uint64_t target = CycleAt(until);
  const std::size_t wanted = sent.size() + stopAfter;
  sink_ = &sent;
  while (cpu.Cycles() < target && !cpu.Stopped()) {
    if (controller_) {
      if (controller_->Holding()) {
        start_ += until - Now();  // its time stands while held
        break;
      }
      controller_->Run(target, stopAfter > 0);
    } else {
      cpu.Run(target, stopAfter > 0);
    }
    if (stopAfter > 0 && sent.size() >= wanted) break;
  }
  sink_ = nullptr;
}

bool RunningProgram::Receive(std::uint8_t byte, Micros start, std::uint32_t hostBaud) {
  hostBaud_ = hostBaud;
  if (!RateMatches(hostBaud)) return false;
  board_->Cpu().SerialReceive(byte, CycleAt(start));
  return true;
}

bool RunningProgram::ReceiveAtOwnRate(std::uint8_t byte, Micros start) {
  if (board_->Cpu().SerialCyclesPerBit() <= 0) return false;
  board_->Cpu().SerialReceive(byte, CycleAt(start));
  return true;
}

Micros RunningProgram::OwnByteTime() const {
  const double cyclesPerBit = board_->Cpu().SerialCyclesPerBit();
  const double micros = cyclesPerBit * 10 * 1e6 / kMachineCyclesPerSecond;
  return Micros(static_cast<std::int64_t>(std::llround(micros)));
}

void RunningProgram::DropLag(Micros now, Micros limit) {
  const Micros reached = Now();
  if (now - reached > limit) start_ += now - reached;
}

}  // namespace orvane::sim
