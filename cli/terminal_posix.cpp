#include "cli/terminal.h"

#include <unistd.h>

namespace orvane::cli {

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

}  // namespace orvane::cli
