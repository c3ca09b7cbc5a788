// Whether a standard stream is a terminal (a person watching) rather than a file or a pipe.
#pragma once

namespace orvane::cli {

bool StandardErrorIsTerminal();

}  // namespace orvane::cli
