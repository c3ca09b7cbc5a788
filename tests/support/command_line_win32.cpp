#include "support/command_line.h"

namespace orvane::test_support {

FILE* OpenCommandPipe(const std::string& command) { return _popen(command.c_str(), "r"); }

int CloseCommandPipe(FILE* pipe) { return _pclose(pipe); }

}  // namespace orvane::test_support
