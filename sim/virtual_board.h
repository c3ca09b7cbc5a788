// The virtual board: its line model, the serial device opened on it and the process-wide board
// behind the port name VIRTUAL.
#pragma once

#include "sim/virtual_board_device.h"
#include "sim/virtual_board_registry.h"
#include "sim/virtual_line.h"
