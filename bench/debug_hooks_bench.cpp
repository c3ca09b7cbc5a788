// What the debugger's hooks cost the CPU core: the program of cpu8051_bench (bench/programs/
// cpubench.c) run with no debugger, with one attached but nothing set, with a few code and
// data breakpoints that never hit, and through the debug engine with those breakpoints.
// Then how soon a pause stops a program that runs on the debugger's own thread (the goal:
// within 100 ms whatever the program does), in real time and as fast as the core goes.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "download/hex_file.h"
#include "download/hex_loader.h"
#include "sim/board/board_model.h"
#include "sim/debug/debug_engine.h"
#include "sim/debug/debug_runner.h"

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

// Milliseconds from asking for a pause to the stop, over `tries` runs of `program` (each
// paused after 50 ms of running), sorted; a stop that never comes counts as 5 s.
std::vector<double> PauseLatencies(const download::MemoryImage& program, sim::debug::RunSpeed speed,
                                   int tries) {
  std::vector<double> latencies;
  for (int i = 0; i < tries; ++i) {
    std::mutex mutex;
    std::condition_variable stopped;
    bool paused = false;
    sim::debug::DebugRunner::Callbacks callbacks;
    callbacks.stopped = [&](const sim::debug::StopEvent& event) {
      if (event.reason != sim::debug::StopReason::Pause) return;
      std::lock_guard lock(mutex);
      paused = true;
      stopped.notify_all();
    };
    sim::debug::DebugRunner runner(program.bytes, {}, speed, callbacks);
    runner.Start(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto asked = Clock::now();
    runner.Pause();
    std::unique_lock lock(mutex);
    if (!stopped.wait_for(lock, std::chrono::seconds(5), [&] { return paused; })) {
      latencies.push_back(5000);
      continue;
    }
    latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - asked).count());
  }
  std::sort(latencies.begin(), latencies.end());
  return latencies;
}

void PrintPauseLatencies(const download::MemoryImage& busy) {
  // INC A; SJMP back: a loop that never ends (SJMP $ alone is taken for the program's end)
  download::MemoryImage spin;
  spin.bytes[0] = 0x04;
  spin.bytes[1] = 0x80;
  spin.bytes[2] = 0xFD;
  constexpr int kTries = 20;
  struct Case {
    const char* what;
    const download::MemoryImage& program;
    sim::debug::RunSpeed speed;
  };
  // The benchmark program, not the spin, would end within the 50 ms at full speed.
  const Case cases[] = {{"benchmark program, real time", busy, {}},
                        {"a tight loop, real time", spin, {}},
                        {"a tight loop, as fast as it goes", spin, {1.0, true}}};
  std::printf("\npause, from the request to the stop event, %d tries each:\n", kTries);
  for (const Case& c : cases) {
    const std::vector<double> ms = PauseLatencies(c.program, c.speed, kTries);
    std::printf("%-40s median %6.2f ms, worst %6.2f ms   goal: within 100 ms, %s\n", c.what,
                ms[ms.size() / 2], ms.back(), ms.back() <= 100 ? "met" : "not met");
  }
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
  PrintPauseLatencies(image);
  return 0;
}
