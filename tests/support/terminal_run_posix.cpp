#include "support/terminal_run_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include "serial/unique_fd_posix.h"
#include "support/child_process_posix.h"

namespace orvane::test_support {

std::string RunWithTerminalStderr(const std::vector<std::string>& argv, int* exitCode) {
  int master = -1;
  int slave = -1;
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return {};
  serial::UniqueFd masterEnd(master);
  serial::UniqueFd slaveEnd(slave);
  // The child keeps only the terminal's side it was given.
  fcntl(master, F_SETFD, FD_CLOEXEC);
  fcntl(slave, F_SETFD, FD_CLOEXEC);
  ChildProcess child(argv, ChildProcess::kQuiet, slave);
  slaveEnd.Reset();
  std::string received;
  bool closed = false;
  for (;;) {
    pollfd fd{master, POLLIN, 0};
    if (poll(&fd, 1, 30000) <= 0) break;
    char buffer[4096];
    const ssize_t n = read(master, buffer, sizeof buffer);
    closed = n <= 0;  // EIO once the program has ended and closed the terminal
    if (closed) break;
    received.append(buffer, static_cast<std::size_t>(n));
  }
  masterEnd.Reset();
  // A program silent for 30 s is ended rather than waited for.
  *exitCode = closed ? child.Wait() : child.Stop(SIGKILL);
  return received;
}

}  // namespace orvane::test_support
