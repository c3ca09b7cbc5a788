#include "sim/server/run_command.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <deque>
#include <iostream>

#include "download/hex_file.h"
#include "download/hex_loader.h"
#include "sim/view/live_boards.h"
#include "sim/view/view_screen.h"

namespace orvane::sim {

namespace {

// Standard input without blocking: the program runs on while no byte is there.
class StdinSource {
 public:
  std::optional<std::uint8_t> Next(bool& ended) {
    if (buffer_.empty() && !eof_) Fill();
    ended = eof_ && buffer_.empty();
    if (buffer_.empty()) return std::nullopt;
    const std::uint8_t byte = buffer_.front();
    buffer_.pop_front();
    return byte;
  }

 private:
  void Fill() {
    pollfd fd{STDIN_FILENO, POLLIN, 0};
    if (poll(&fd, 1, 0) <= 0) return;
    std::uint8_t chunk[4096];
    const ssize_t n = read(STDIN_FILENO, chunk, sizeof chunk);
    if (n > 0) {
      buffer_.insert(buffer_.end(), chunk, chunk + n);
    } else if (n == 0 || errno != EINTR) {
      eof_ = true;
    }
  }

  std::deque<std::uint8_t> buffer_;
  bool eof_ = false;
};

void WriteAll(std::uint8_t byte, std::uint64_t) {
  // Unbuffered: a reader sees each byte as the program sends it.
  while (write(STDOUT_FILENO, &byte, 1) < 0 && errno == EINTR) {
  }
}

// The board shown live until the user ends the view; plain-text frames end as a run ends.
int ViewProgram(BoardModel& board, const RunCommandOptions& options) {
  board.StartProgram(options.limits.baud);
  RealClock clock;
  std::unique_ptr<ViewScreen> screen = OpenViewScreen();
  LiveViewOptions view;
  view.endWithProgram = !screen->Drawn();
  if (options.cyclesGiven || !screen->Drawn()) view.cycles = options.limits.maxCycles;
  PacedBoard paced(board, options.speed, view.cycles, clock.Now());
  const ViewEnd end = RunLiveView(paced, *screen, clock, view);
  const bool drawn = screen->Drawn();
  screen.reset();  // the terminal back first
  std::cerr << "cycles: " << board.Cpu().Cycles() << "\n";
  if (options.report) std::cerr << board.Report();
  return ViewExitStatus(end, drawn);
}

}  // namespace

int RunCommand(const RunCommandOptions& options) {
  download::MemoryImage image;
  download::HexFile file;
  file.Assign(options.file);
  if (!file.Open()) {
    std::cerr << "orvane-board: " << download::kFileNotFoundText << ": " << options.file << "\n";
    return 2;
  }
  try {
    download::HexLoader loader(image, file);
    const download::LoadResult result = loader.LoadHexFile();
    if (result != download::LoadOk) {
      std::cerr << "orvane-board: " << options.file << ": " << download::LoadResultMessage(result)
                << "\n";
      return 2;
    }
  } catch (const download::HexFileError& error) {
    std::cerr << "orvane-board: " << options.file << ": " << error.what() << "\n";
    return 2;
  }

  BoardModel board;
  board.SetStuckBit(options.stuckBit);
  board.LoadProgram(image.bytes);
  if (options.view) return ViewProgram(board, options);
  StdinSource stdinSource;
  ByteSource input;
  if (options.feedStdin) input = [&](bool& ended) { return stdinSource.Next(ended); };
  RunProgram(board, options.limits, WriteAll, input);
  std::cerr << "cycles: " << board.Cpu().Cycles() << "\n";
  if (options.report) std::cerr << board.Report();
  return 0;
}

}  // namespace orvane::sim
