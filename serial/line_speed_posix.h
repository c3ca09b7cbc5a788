// The termios speed constants (B9600, ...) and the rates they stand for, in one table.
#pragma once

#include <termios.h>

#include <cstdint>

namespace orvane::serial {

// The constant of a rate in bit/s; B0 when termios has none for it (the rate is then set through
// the arbitrary-rate interface, custom_baud_posix.h).
speed_t SpeedOfRate(std::uint32_t rate);
// The rate of a constant; 0 for B0 and for constants not in the table.
std::uint32_t RateOfSpeed(speed_t speed);

}  // namespace orvane::serial
