#include <io.h>

#include <cstdio>

#include "cli/terminal.h"

namespace orvane::cli {

bool StandardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

}  // namespace orvane::cli
