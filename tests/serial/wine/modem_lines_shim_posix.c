/* Preloaded into Wine for the serial tests: gives a pseudo-terminal the modem-control lines it
 * lacks. Where the real ioctl refuses the line requests on a terminal, this answers them from a
 * per-process state wired as a loop-back plug: DTR drives DSR and DCD, RTS drives CTS.
 * The rise of DTR after a fall (the end of the reset pulse) opens the terminal once more, which
 * orvane-board takes for the pulse: the board restarts as a real one would. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <unistd.h>

static int outputs = TIOCM_DTR | TIOCM_RTS;

static void set_outputs(int fd, int lines) {
  const int rises = lines & ~outputs & TIOCM_DTR;
  outputs = lines & (TIOCM_DTR | TIOCM_RTS);
  if (!rises) return;
  const char* name = ttyname(fd);
  const int other = name ? open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC) : -1;
  if (other >= 0) close(other);
}

int ioctl(int fd, unsigned long request, ...) {
  static int (*real_ioctl)(int, unsigned long, ...);
  va_list args;
  va_start(args, request);
  void* arg = va_arg(args, void*);
  va_end(args);
  if (!real_ioctl) real_ioctl = (int (*)(int, unsigned long, ...))dlsym(RTLD_NEXT, "ioctl");

  const int result = real_ioctl(fd, request, arg);
  if (result == 0 || (errno != ENOTTY && errno != EINVAL)) return result;
  const int saved = errno;
  if (!isatty(fd)) {
    errno = saved;
    return result;
  }
  int* lines = (int*)arg;
  switch (request) {
    case TIOCMGET: {
      int state = outputs;
      if (outputs & TIOCM_DTR) state |= TIOCM_DSR | TIOCM_CAR;
      if (outputs & TIOCM_RTS) state |= TIOCM_CTS;
      *lines = state;
      return 0;
    }
    case TIOCMSET:
      set_outputs(fd, *lines);
      return 0;
    case TIOCMBIS:
      set_outputs(fd, outputs | *lines);
      return 0;
    case TIOCMBIC:
      set_outputs(fd, outputs & ~*lines);
      return 0;
    default:
      errno = saved;
      return result;
  }
}
