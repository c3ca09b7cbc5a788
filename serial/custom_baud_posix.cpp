#include "serial/custom_baud_posix.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstdlib>

namespace orvane::serial {

int SetAndCheckBaudRate(int fd, std::uint32_t rate, bool set) {
  struct termios2 tio;
  if (ioctl(fd, TCGETS2, &tio) != 0) return errno;
  if (set) {
    tio.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = rate;
    tio.c_ospeed = rate;
    if (ioctl(fd, TCSETS2, &tio) != 0) return errno;
    if (ioctl(fd, TCGETS2, &tio) != 0) return errno;
  }
  // Drivers round to the divisors their clock allows; a rate far from that is refused.
  const long long asked = rate;
  const long long actual = tio.c_ospeed;
  if (actual <= 0 || std::llabs(actual - asked) * 100 > asked * 3) return EINVAL;
  return 0;
}

}  // namespace orvane::serial
