// Line speeds outside the termios table (14400, 56000, 128000, 256000, custom rates), set through
// the kernel's arbitrary-rate interface; kept apart because its header clashes with <termios.h>.
#pragma once

#include <cstdint>

namespace orvane::serial {

// Sets the rate when `set` is true, then reads back what the driver took. Returns 0, or an errno
// value: the driver's own error, or EINVAL when it runs the line more than 3 % off the rate asked.
int SetAndCheckBaudRate(int fd, std::uint32_t rate, bool set);

}  // namespace orvane::serial
