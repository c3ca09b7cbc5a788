// A program run as a child of a test or a benchmark (fork and exec): its standard output and
// error go where the caller says, and it ends with the object, by a signal and a wait for it.
// Header-only, so that the benchmarks, built without the tests, use it too.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace orvane::test_support {

class ChildProcess {
 public:
  static constexpr int kInherit = -1;  // this process's own
  static constexpr int kQuiet = -2;    // /dev/null

  ChildProcess() = default;
  // argv[0] is the program's path; `out` and `err` are descriptors for its standard output and
  // error (pipes should be close-on-exec, so that the child keeps only the end it was given);
  // `environment` holds extra "NAME=value" entries; `stopSignal` ends it when the object goes.
  // Running() is false when it could not be started.
  explicit ChildProcess(std::vector<std::string> argv, int out = kInherit, int err = kInherit,
                        std::vector<std::string> environment = {}, int stopSignal = SIGTERM)
      : stopSignal_(stopSignal) {
    std::fflush(nullptr);  // the child would write out what this process has not written yet
    pid_ = fork();
    if (pid_ != 0) return;
    Redirect(out, STDOUT_FILENO);
    Redirect(err, STDERR_FILENO);
    for (std::string& entry : environment) putenv(entry.data());
    std::vector<char*> args;
    for (std::string& arg : argv) args.push_back(arg.data());
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  ~ChildProcess() { Stop(); }
  ChildProcess(ChildProcess&& other) noexcept
      : pid_(std::exchange(other.pid_, -1)), stopSignal_(other.stopSignal_) {}
  ChildProcess& operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
      Stop();
      pid_ = std::exchange(other.pid_, -1);
      stopSignal_ = other.stopSignal_;
    }
    return *this;
  }

  bool Running() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }

  // Sends the signal and waits: the exit code, -1 when it did not exit by itself or never ran.
  int Stop(int signal) {
    if (pid_ <= 0) return -1;
    kill(pid_, signal);
    return Wait();
  }
  int Stop() { return Stop(stopSignal_); }
  // Waits for it to end; `usage` (if given) gets the CPU time it took.
  int Wait(rusage* usage = nullptr) {
    if (pid_ <= 0) return -1;
    int status = 0;
    const pid_t ended = wait4(pid_, &status, 0, usage);
    pid_ = -1;
    return ended > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  static void Redirect(int fd, int target) {
    if (fd == kQuiet) fd = open("/dev/null", O_WRONLY);
    if (fd >= 0) dup2(fd, target);
  }

  pid_t pid_ = -1;
  int stopSignal_ = SIGTERM;
};

}  // namespace orvane::test_support
