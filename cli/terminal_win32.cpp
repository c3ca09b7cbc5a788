#include "cli/terminal.h"

#include <io.h>

#include <cstdio>

namespace orvane::cli {

bool StandardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

}  // namespace orvane::cli
