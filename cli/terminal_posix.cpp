#include <unistd.h>

#include "cli/terminal.h"

namespace orvane::cli {

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

}  // namespace orvane::cli
