// Runs a program on the board model on its own, in virtual time, as `orvane-board --run` does:
// the program's serial output goes to a sink, its serial input comes from a source at the line
// rate the program has set, and the run ends at a given text, a cycle limit, or the program's end.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "board/board_protocol.h"
#include "sim/board/board_model.h"

namespace orvane::sim {

struct RunLimits {
  std::string until;                    // stop once the output ends with this (empty: never)
  std::uint64_t maxCycles = 200000000;  // machine cycles
  std::uint32_t baud = board::kDefaultBaudRate;  // the rate the monitor leaves the serial port at
};

enum class RunEnd { Until, Cycles, ProgramEnded };

// Gives the next input byte when one is ready; `ended` set once no more will come.
using ByteSource = std::function<std::optional<std::uint8_t>(bool& ended)>;
// Each byte the program sends, with the machine cycle at which its stop bit ended.
using ByteSink = std::function<void(std::uint8_t, std::uint64_t)>;

// Starts the program already loaded into `board` and runs it to the first of the limits.
RunEnd RunProgram(BoardModel& board, const RunLimits& limits, const ByteSink& output,
                  const ByteSource& input = nullptr);

}  // namespace orvane::sim
