// The CPU core's speed: runs an sdcc-compiled program (bench/programs/cpubench.c) on the board
// model several times and prints machine cycles per second, the ratio to the real board
// (921 600 machine cycles a second) and, when ucsim's s51 is installed, its wall time on the
// same program for comparison (the goal: 50 times as fast or more). Each run is followed by one
// under the debug engine with eight code breakpoints and one data breakpoint set where the
// program never goes, so that the two are measured side by side (the goal: at least 0.9 of
// the speed without a debugger).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "download/hex_file.h"
#include "download/hex_loader.h"
#include "load_bench.h"
#include "sim/board/board_model.h"
#include "sim/board/program_runner.h"
#include "sim/debug/debug_engine.h"

namespace {

using namespace orvane;
using Clock = std::chrono::steady_clock;

const std::string kProgram = std::string(ORVANE_SOURCE_DIR) + "/bench/programs/cpubench.ihx";

bool Load(download::MemoryImage& image) {
  download::HexFile file;
  file.Assign(kProgram);
  if (!file.Open()) return false;
  download::HexLoader loader(image, file);
  return loader.LoadHexFile() == download::LoadOk;
}

// The monitor ROM's jumps for s51, which starts at address 0.
std::string WriteRomFile() {
  const auto path = std::filesystem::temp_directory_path() / "cpu8051-bench-rom.ihx";
  std::ofstream out(path);
  for (int vector : {0x00, 0x03, 0x0B, 0x13, 0x1B, 0x23, 0x2B}) {
    const int target = sim::kProgramStart + vector;
    const int bytes[] = {3, 0, vector, 0, 0x02, target >> 8, target & 0xFF};
    int sum = 0;
    out << ':';
    for (int b : bytes) {
      char hex[3];
      std::snprintf(hex, sizeof hex, "%02X", b);
      out << hex;
      sum += b;
    }
    char check[3];
    std::snprintf(check, sizeof check, "%02X", -sum & 0xFF);
    out << check << '\n';
  }
  out << ":00000001FF\n";
  return path.string();
}

// The wall time of one run of the program, without a debugger or under the debug engine with
// breakpoints that are never hit; its output and cycles in the arguments.
double TimedRun(const download::MemoryImage& image, bool debugged, std::string& output,
                std::uint64_t& cycles, bool& stoppedEarly) {
  sim::BoardModel board;
  board.LoadProgram(image.bytes);
  output.clear();
  const sim::ByteSink sink = [&](std::uint8_t byte, std::uint64_t) {
    output += static_cast<char>(byte);
  };
  const sim::RunLimits limits;
  Clock::time_point start;
  if (!debugged) {
    start = Clock::now();
    sim::RunProgram(board, limits, sink);
  } else {
    using namespace sim::debug;
    DebugEngine engine(board, DebugData{}, limits.baud);
    // Eight code breakpoints in code memory past the program, one data breakpoint on an
    // external RAM byte it never touches: every instruction is checked, none stops.
    std::vector<BreakpointRequest> code;
    for (int i = 0; i < 8; ++i) {
      code.push_back({{static_cast<std::uint16_t>(0x7000 + i * 0x100)}, "", ""});
    }
    engine.SetBreakpoints("bench", true, code);
    engine.SetDataBreakpoints({{{MemorySpace::Xdata, 0xFFFE}, 1, DataAccess::ReadWrite, "", ""}});
    StopReason reason = StopReason::Pause;
    engine.OnStopped([&](const StopEvent& event) { reason = event.reason; });
    engine.Restart(false);
    board.OnSerialSent(sink);
    start = Clock::now();
    while (!engine.Holding() && board.Cpu().Cycles() < limits.maxCycles) {
      engine.Run(limits.maxCycles);
    }
    board.OnSerialSent(nullptr);
    stoppedEarly = reason != StopReason::Ended;
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  cycles = board.Cpu().Cycles();
  return seconds;
}

void CompareWithS51(double coreSeconds) {
  if (std::system("command -v s51 >/dev/null 2>&1") != 0) {
    std::printf("s51 not installed: no comparison\n");
    return;
  }
  const std::string command =
      "echo quit | s51 -t 8052 -X 11.0592M -S out=/dev/null "
      "-e 'break xram w 0xffff' -e run " +
      WriteRomFile() + " " + kProgram + " >/dev/null 2>&1";
  const auto start = Clock::now();
  const int status = std::system(command.c_str());
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const double ratio = seconds / coreSeconds;
  std::printf(
      "s51, same program:   %8.3f s wall (exit %d); the core is %.1f times as fast"
      "   goal: 50 or more, %s\n",
      seconds, status, ratio, ratio >= 50 ? "met" : "not met");
}

}  // namespace

int main() {
  download::MemoryImage image;
  if (!Load(image)) {
    std::fprintf(stderr, "cannot load %s\n", kProgram.c_str());
    return 1;
  }
  constexpr int kRuns = 10;
  std::uint64_t cycles = 0;
  std::uint64_t debuggedCycles = 0;
  std::string output;
  std::string debuggedOutput;
  bool stoppedEarly = false;
  double best = 1e9;
  double debuggedBest = 1e9;
  // Side by side, so that what else runs on the machine weighs on both alike.
  for (int run = 0; run < kRuns; ++run) {
    best = std::min(best, TimedRun(image, false, output, cycles, stoppedEarly));
    debuggedBest =
        std::min(debuggedBest, TimedRun(image, true, debuggedOutput, debuggedCycles, stoppedEarly));
  }
  const double rate = static_cast<double>(cycles) / best;
  std::printf("program output:      %s", output.c_str());
  std::printf("machine cycles:      %llu (%.2f s on the board)\n",
              static_cast<unsigned long long>(cycles),
              static_cast<double>(cycles) / sim::kMachineCyclesPerSecond);
  std::printf("core, best of %d:    %8.3f s wall, %.1f M machine cycles/s, %.0f times the board\n",
              kRuns, best, rate / 1e6, rate / sim::kMachineCyclesPerSecond);
  const double debuggedRate = static_cast<double>(debuggedCycles) / debuggedBest;
  std::printf(
      "debugger attached, 8 code and 1 data breakpoints, none hit, best of %d:\n"
      "                     %8.3f s wall, %.1f M machine cycles/s, %.3f of the speed without"
      "   goal: 0.9 or more, %s\n",
      kRuns, debuggedBest, debuggedRate / 1e6, debuggedRate / rate,
      debuggedRate / rate >= 0.9 ? "met" : "not met");
  if (stoppedEarly || debuggedCycles != cycles || debuggedOutput != output) {
    std::printf("  (the debugged run differed: %s)\n",
                stoppedEarly ? "a breakpoint stopped it" : "other cycles or output");
  }
  CompareWithS51(best);
  orvane::bench::PrintLoad();
  return 0;
}
