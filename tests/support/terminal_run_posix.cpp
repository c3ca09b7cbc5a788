#include "support/terminal_run_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orvane::test_support {

std::string RunWithTerminalStderr(const std::vector<std::string>& argv, int* exitCode) {
  int master = -1;
  int slave = -1;
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return {};
  std::vector<std::string> args = argv;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(slave, STDERR_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    close(master);
    close(slave);
    std::vector<char*> cargs;
    for (std::string& a : args) cargs.push_back(a.data());
    cargs.push_back(nullptr);
    execv(cargs[0], cargs.data());
    _exit(127);
  }
  close(slave);
  std::string received;
  for (;;) {
    pollfd fd{master, POLLIN, 0};
    if (poll(&fd, 1, 30000) <= 0) break;
    char buffer[4096];
    const ssize_t n = read(master, buffer, sizeof buffer);
    if (n <= 0) break;  // EIO once the program has ended and closed the terminal
    received.append(buffer, static_cast<std::size_t>(n));
  }
  close(master);
  int status = 0;
  waitpid(pid, &status, 0);
  *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return received;
}

}  // namespace orvane::test_support
