// What the debugger's hooks cost the CPU core: the program of cpu8051_bench (bench/programs/
// cpubench.c) run with no debugger, with one attached but nothing set, with a few code and
// data breakpoints that never hit, and through the debug engine with those breakpoints.
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "download/hex_file.h"
#include "download/hex_loader.h"
#include "sim/board/board_model.h"
#include "sim/debug/debug_engine.h"

namespace {

using namespace orvane;
using Clock = std::chrono::steady_clock;

constexpr std::uint64_t kCycles = 50'000'000;

bool Load(download::MemoryImage& image) {
  download::HexFile file;
  file.Assign(std::string(ORVANE_SOURCE_DIR) + "/bench/programs/cpubench.ihx");
  if (!file.Open()) return false;
  download::HexLoader loader(image, file);
  return loader.LoadHexFile() == download::LoadOk;
}

// Machine cycles a second, best of three runs of `run` on a fresh board.
double Rate(const download::MemoryImage& image, const std::function<void(sim::BoardModel&)>& run) {
  double best = 1e9;
  std::uint64_t cycles = 0;
  for (int i = 0; i < 3; ++i) {
    sim::BoardModel board;
    board.LoadProgram(image.bytes);
    board.StartProgram(57600);
    const auto start = Clock::now();
    run(board);
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    cycles = board.Cpu().Cycles();
  }
  return static_cast<double>(cycles) / best;
}

// Breakpoints the program never reaches: the cost of checking them, not of stopping.
void SetUnreached(sim::Cpu8051Watch& watch) {
  for (std::uint16_t a : {0x5F00, 0x5F10, 0x5F20, 0x5F30}) watch.code.set(a);
  watch.xdata[0xFFF0] = sim::Cpu8051Watch::kWrite;
  watch.iram[0x7F] = sim::Cpu8051Watch::kWrite;
  watch.spaces = sim::Cpu8051Watch::kIram | sim::Cpu8051Watch::kXdata;
}

}  // namespace

int main() {
  download::MemoryImage image;
  if (!Load(image)) {
    std::fprintf(stderr, "cannot load the benchmark program\n");
    return 1;
  }
  const auto runTo = [](sim::BoardModel& board) {
    while (board.Cpu().Cycles() < kCycles && !board.Cpu().Stopped()) board.Cpu().Run(kCycles);
  };
  const double bare = Rate(image, runTo);
  const double attached = Rate(image, [&](sim::BoardModel& board) {
    sim::Cpu8051Watch watch;
    board.Cpu().Attach(&watch);
    runTo(board);
    board.Cpu().Attach(nullptr);
  });
  const double watched = Rate(image, [&](sim::BoardModel& board) {
    auto watch = std::make_unique<sim::Cpu8051Watch>();
    SetUnreached(*watch);
    board.Cpu().Attach(watch.get());
    runTo(board);
    board.Cpu().Attach(nullptr);
  });
  const double engine = Rate(image, [&](sim::BoardModel& board) {
    sim::debug::DebugEngine debug(board, {}, 57600);
    debug.SetBreakpoints("bench", true, {{{0x5F00, 0x5F10, 0x5F20, 0x5F30}, "", ""}});
    debug.SetDataBreakpoints(
        {{{sim::debug::MemorySpace::Xdata, 0xFFF0}, 1, sim::debug::DataAccess::Write, "", ""}});
    debug.Continue();
    while (board.Cpu().Cycles() < kCycles && !debug.Holding()) debug.Run(kCycles);
  });
  const auto line = [&](const char* what, double rate) {
    std::printf("%-40s %7.1f M machine cycles/s  %5.1f %% of no debugger\n", what, rate / 1e6,
                100 * rate / bare);
  };
  line("no debugger", bare);
  line("debugger attached, nothing set", attached);
  line("4 code, 2 data breakpoints (never hit)", watched);
  line("the engine running, same breakpoints", engine);
  return 0;
}
