// The main window's serial port as it was designed: the state every run of the program, the
// command-line tool and the tests start the port from.
#pragma once

#include "serial/com_port.h"

namespace orvane::app {

// The designed state of the main window's port ComPort1: COM3 at 19200 bit/s, eight data bits,
// no parity, one stop bit, DTR enabled, no other flow control, all ten events, read time-outs
// ReadInterval -1 and ReadTotalMultiplier -1 (ReadTotalConstant stays 0 until the board link
// sets it), closed. Applied as a stored description: call it on a closed port.
void ApplyMainWindowDesign(serial::TComPort& port);

}  // namespace orvane::app
