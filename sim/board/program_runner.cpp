#include "sim/board/program_runner.h"

#include <algorithm>

namespace orvane::sim {

namespace {

// Machine cycles between looks at the input; short against a byte's time at any usual rate.
constexpr std::uint64_t kSlice = 256;

}  // namespace

RunEnd RunProgram(BoardModel& board, const RunLimits& limits, const ByteSink& output,
                  const ByteSource& input) {
  Cpu8051& cpu = board.Cpu();
  std::string tail;
  bool reached = false;
  board.OnSerialSent([&](std::uint8_t byte, std::uint64_t cycle) {
    if (output) output(byte, cycle);
    if (limits.until.empty()) return;
    tail += static_cast<char>(byte);
    if (tail.size() > limits.until.size()) tail.erase(0, tail.size() - limits.until.size());
    reached = reached || tail == limits.until;
  });
  board.StartProgram(limits.baud);
  bool inputEnded = !input;
  while (!reached && !cpu.Stopped() && cpu.Cycles() < limits.maxCycles) {
    // One byte waiting behind the one being received keeps the line busy without a gap.
    if (!inputEnded && cpu.SerialInputWaiting() < 2) {
      if (auto byte = input(inputEnded)) cpu.SerialReceive(*byte, cpu.Cycles());
    }
    const std::uint64_t slice = inputEnded ? limits.maxCycles : cpu.Cycles() + kSlice;
    cpu.Run(std::min(limits.maxCycles, slice), !limits.until.empty());
  }
  board.OnSerialSent(nullptr);
  if (reached) return RunEnd::Until;
  return cpu.Stopped() ? RunEnd::ProgramEnded : RunEnd::Cycles;
}

}  // namespace orvane::sim
