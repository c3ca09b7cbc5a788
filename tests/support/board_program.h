// Programs on the board model for tests: load an Intel HEX file as the downloader does, run it in
// virtual time, and collect what it sends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/board/board_model.h"
#include "sim/board/program_runner.h"

namespace orvane::test_support {

// Loads the file into the board's program memory; false (with a test failure) when it does not
// load.
bool LoadHex(sim::BoardModel& board, const std::string& path);

struct ProgramRun {
  std::string output;
  std::vector<std::uint64_t> sentAt;  // the machine cycle at which each output byte was sent
  sim::RunEnd end = sim::RunEnd::Cycles;
  std::uint64_t cycles = 0;
};

// Starts the loaded program and runs it to the limits, feeding `input` to its serial port.
ProgramRun RunLoaded(sim::BoardModel& board, const sim::RunLimits& limits,
                     const std::string& input = {});

// A test program built by this build (wave1, echo, ...), beside the executables.
std::string TestProgramPath(const std::string& name);

}  // namespace orvane::test_support
