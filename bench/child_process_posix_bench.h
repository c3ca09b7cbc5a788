// Another program run from a benchmark, with its output to /dev/null, and what it cost: its wall
// time and the CPU time the kernel counted for it (its own code, and the kernel on its behalf).
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace orvane::bench {

// This program's folder: orvane and orvane-board are built beside it.
inline std::string ProgramFolder() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

struct ChildRun {
  bool succeeded = false;
  double wall = 0;    // seconds
  double user = 0;    // CPU seconds in its own code
  double system = 0;  // CPU seconds in the kernel on its behalf
};

// Runs args[0] with the rest as its arguments and waits for it to end.
inline ChildRun RunChild(std::vector<std::string> args) {
  // The child would write out what this process has not yet written.
  std::fflush(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    if (std::freopen("/dev/null", "w", stdout) == nullptr) _exit(127);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
  };
  ChildRun run;
  run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  run.user = seconds(usage.ru_utime);
  run.system = seconds(usage.ru_stime);
  return run;
}

}  // namespace orvane::bench
