// The process-wide virtual board behind the port name VIRTUAL, and whether it was asked for.
#pragma once

#include <memory>
#include <string>

#include "sim/line/board_config.h"
#include "sim/line/virtual_board.h"

namespace orvane::sim {

// The port name of the in-process virtual board.
inline constexpr const char* kVirtualPortName = "VIRTUAL";

// Puts a virtual board (in real time: see VirtualBoard::SetRealTime) behind the port name VIRTUAL;
// `listed` makes the name appear in the port list too. Calling it again keeps the same board and
// only changes the listing.
std::shared_ptr<VirtualBoard> EnableVirtualBoard(bool listed, const BoardConfig& config = {});

// The in-process board behind `portName`: the one EnableVirtualBoard put there when the name is
// VIRTUAL (the exact name, as the port opener takes it), else none. The views find it so.
std::shared_ptr<VirtualBoard> FindVirtualBoard(const std::string& portName);

// Whether the environment asks for the virtual board to be listed (ORVANE_VIRTUAL_BOARD=1).
bool VirtualBoardRequestedByEnvironment();

}  // namespace orvane::sim
