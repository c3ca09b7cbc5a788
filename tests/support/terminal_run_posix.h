// Runs a program with its standard error on a pseudo-terminal (so that it draws what it draws
// for a person watching) and its standard output on /dev/null.
#pragma once

#include <string>
#include <vector>

namespace orvane::test_support {

// argv[0] is the program's path; returns what the terminal received, *exitCode the exit status
// (-1 when it did not end normally).
std::string RunWithTerminalStderr(const std::vector<std::string>& argv, int* exitCode);

}  // namespace orvane::test_support
