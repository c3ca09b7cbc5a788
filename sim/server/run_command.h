// `orvane-board --run FILE.hex`: loads the file as the downloader would and runs it on the board
// model, writing the program's serial output to standard output as it comes; with --view, shows
// the board live instead (sim/view/live_view.h).
#pragma once

#include <optional>
#include <string>

#include "sim/board/board_model.h"
#include "sim/board/program_runner.h"

namespace orvane::sim {

struct RunCommandOptions {
  std::string file;
  RunLimits limits;
  bool cyclesGiven = false;  // --cycles was given (the drawn view ends only then)
  // --view: the board shown live, in real time at `speed` times the board's own (0: as fast as
  // it goes), instead of the serial output.
  bool view = false;
  double speed = 1;
  bool report = false;
  bool feedStdin = false;
  std::optional<StuckBit> stuckBit;
};

// Returns the process's exit status: 0 after a run, 2 when the file cannot be loaded.
int RunCommand(const RunCommandOptions& options);

}  // namespace orvane::sim
