// The live view's cost: the CPU time a real-time run at the board's own speed takes with the view
// drawn 30 times a second (the board model as orvane-board runs it, and the in-process virtual
// board paced by its device), against the goal of under 5 % of one core; and the time one frame
// takes to look, compare and draw.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "board/board_protocol.h"
#include "sim/line/virtual_board.h"
#include "sim/line/virtual_board_device.h"
#include "sim/line/virtual_board_registry.h"
#include "sim/view/board_text.h"
#include "sim/view/live_boards.h"
#include "sim/view/live_view.h"
#include "sim/view/terminal_board_picture.h"
#include "support/started_board.h"

namespace {

using namespace orvane;
using WallClock = std::chrono::steady_clock;

// Busy all the time (no wait loop to skip): INC P1; MOV R7,#62; DJNZ R7,$; SJMP to the start.
constexpr std::uint8_t kBusyProgram[] = {0x05, 0x90, 0x7F, 62, 0xDF, 0xFE, 0x80, 0xF8};

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Draws every frame as a terminal would get it, and throws it away.
class DrawingScreen final : public sim::ViewScreen {
 public:
  bool Drawn() const override { return true; }
  void Show(const sim::BoardSnapshot& snapshot, const std::string& status) override {
    picture_.AddSerial(snapshot.serial);
    bytes_ += picture_.Draw(snapshot, status, 40, 100).size();
    ++frames_;
  }
  // Sleeps as the terminal's wait does (in poll), not as RealClock::SleepUntil, which yields
  // through the last 2 ms of a wait for the line's sake.
  sim::ViewInput Wait(sim::Clock& clock, sim::Micros deadline) override {
    const sim::Micros left = deadline - clock.Now();
    if (left > sim::Micros(0)) std::this_thread::sleep_for(left);
    return {};
  }
  int frames_ = 0;
  std::size_t bytes_ = 0;

 private:
  sim::TerminalBoardPicture picture_;
};

void Report(const char* what, double seconds, double cpu) {
  std::printf("%-46s %5.2f %% of one core over %.1f s\n", what, 100.0 * cpu / seconds, seconds);
}

void ModelRun(double seconds) {
  sim::BoardModel board;
  std::copy(std::begin(kBusyProgram), std::end(kBusyProgram),
            board.Cpu().Code().begin() + sim::kProgramStart);
  board.StartProgram(board::kDefaultBaudRate);
  sim::RealClock clock;
  DrawingScreen screen;
  sim::PacedBoard paced(board, 1, std::nullopt, clock.Now());
  sim::LiveViewOptions options;
  options.seconds = seconds;
  const double cpu = CpuSeconds();
  sim::RunLiveView(paced, screen, clock, options);
  Report("board model at x1, view drawn:", seconds, CpuSeconds() - cpu);
  std::printf("  %d frames, %.0f bytes a frame, %.2f M cycles run\n", screen.frames_,
              static_cast<double>(screen.bytes_) / std::max(screen.frames_, 1),
              board.Cpu().Cycles() / 1e6);
}

void VirtualBoardRun(double seconds) {
  auto board =
      std::make_shared<sim::VirtualBoard>(sim::BoardConfig{}, std::make_shared<sim::RealClock>());
  board->SetRealTime(true);
  const auto device = test_support::StartOnBoard(board, kBusyProgram);
  sim::RealClock clock;
  DrawingScreen screen;
  sim::VirtualLiveBoard live(board);
  sim::LiveViewOptions options;
  options.seconds = seconds;
  const double cpu = CpuSeconds();
  sim::RunLiveView(live, screen, clock, options);
  Report("in-process board at x1 (its pacer), view drawn:", seconds, CpuSeconds() - cpu);
  std::printf("  %d frames, program running: %s\n", screen.frames_,
              board->CpuRunning() ? "yes" : "no");
}

void OneFrame() {
  sim::BoardModel board;
  std::copy(std::begin(kBusyProgram), std::end(kBusyProgram),
            board.Cpu().Code().begin() + sim::kProgramStart);
  board.StartProgram(board::kDefaultBaudRate);
  sim::BoardLooker looker;
  sim::TerminalBoardPicture picture;
  sim::BoardSnapshot last;
  constexpr int kFrames = 20000;
  std::size_t bytes = 0;
  WallClock::duration spent{};
  for (int i = 0; i < kFrames; ++i) {
    board.Cpu().Run(board.Cpu().Cycles() + 1000);  // something changed (not counted)
    const auto start = WallClock::now();
    const sim::BoardSnapshot look = looker.Look(sim::ReadBoard(board));
    if (!sim::ShowsSame(look, last)) bytes += picture.Draw(look, "running", 40, 100).size();
    bytes += sim::PlainFrame(look).size();
    last = look;
    spent += WallClock::now() - start;
  }
  const double micros = std::chrono::duration<double, std::micro>(spent).count() / kFrames;
  std::printf("one frame (look, compare, draw, plain text): %.1f us (%zu bytes in all)\n", micros,
              bytes);
}

}  // namespace

int main() {
  OneFrame();
  ModelRun(3.0);
  VirtualBoardRun(3.0);
  return 0;
}
