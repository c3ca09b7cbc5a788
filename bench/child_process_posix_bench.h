// Another program run from a benchmark, with its output to /dev/null, and what it cost: its wall
// time and the CPU time the kernel counted for it (its own code, and the kernel on its behalf).
#pragma once

#include <sys/resource.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "support/child_process_posix.h"

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
  const auto start = std::chrono::steady_clock::now();
  test_support::ChildProcess child(std::move(args), test_support::ChildProcess::kQuiet);
  rusage usage{};
  const int exitCode = child.Wait(&usage);
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
  };
  ChildRun run;
  run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.succeeded = exitCode == 0;
  run.user = seconds(usage.ru_utime);
  run.system = seconds(usage.ru_stime);
  return run;
}

}  // namespace orvane::bench
