// The serial port as it was designed for the board: the state every front end (the main window,
// the command-line tool) and the benchmarks and tests start their port from.
#pragma once

#include "serial/com_port.h"

namespace orvane::board {

// The designed state of the board's port: COM3 at 19200 bit/s, eight data bits, no parity, one
// stop bit, DTR enabled, no other flow control, all ten events, read time-outs ReadInterval -1
// and ReadTotalMultiplier -1 (ReadTotalConstant stays 0 until the board link sets it), closed.
// Applied as a stored description: call it on a closed port. A front end that acts on no line
// event clears Events afterwards, so that no event thread runs.
void ApplyPortDefaults(serial::TComPort& port);

}  // namespace orvane::board
