// `orvane-board --run FILE.hex`: loads the file as the downloader would and runs it on the board
// model, writing the program's serial output to standard output as it comes.
#pragma once

#include <optional>
#include <string>

#include "sim/board_model.h"
#include "sim/program_runner.h"

namespace orvane::sim {

struct RunCommandOptions {
  std::string file;
  RunLimits limits;
  bool report = false;
  bool feedStdin = false;
  std::optional<StuckBit> stuckBit;
};

// Returns the process's exit status: 0 after a run, 2 when the file cannot be loaded.
int RunCommand(const RunCommandOptions& options);

}  // namespace orvane::sim
