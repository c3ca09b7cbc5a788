#include "support/command_line.h"

namespace orvane::test_support {

CommandLineRun RunCommandLine(const std::string& command) {
  CommandLineRun run;
  FILE* pipe = OpenCommandPipe(command);
  if (pipe == nullptr) return run;
  run.started = true;
  char chunk[256];
  while (const std::size_t n = std::fread(chunk, 1, sizeof chunk, pipe)) run.out.append(chunk, n);
  run.exitCode = CloseCommandPipe(pipe);
  return run;
}

}  // namespace orvane::test_support
