#include "support/command_line.h"

#include <sys/wait.h>

namespace orvane::test_support {

FILE* OpenCommandPipe(const std::string& command) { return popen(command.c_str(), "r"); }

int CloseCommandPipe(FILE* pipe) {
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace orvane::test_support
