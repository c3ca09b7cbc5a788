// A command line run through the platform's command interpreter, as a user types it: what it
// wrote to standard output, and its exit code (-1 when it did not end normally).
#pragma once

#include <cstdio>
#include <string>

namespace orvane::test_support {

struct CommandLineRun {
  bool started = false;
  int exitCode = -1;
  std::string out;
};

CommandLineRun RunCommandLine(const std::string& command);

// The platform's half: the pipe from the command, and its end with the command's exit code.
FILE* OpenCommandPipe(const std::string& command);
int CloseCommandPipe(FILE* pipe);

}  // namespace orvane::test_support
