// The live view's screen in this process: the terminal on standard output, drawn in place with
// keys read from standard input; or, when standard output is no terminal, plain-text frames on
// it, a blank line between them, each flushed as it is written.
//
// On a terminal it restores the terminal's settings on every way out: the end of the view, a
// second Ctrl+C (which ends the process at once), Ctrl+\ (which quits as it always does), a
// hang-up, and a suspension (Ctrl+Z; the picture comes back when the process continues). A
// change of the terminal's size redraws. A Windows console is given back on the same ways out
// that it has: the end, Ctrl+C or Ctrl+Break, and a second one.
#pragma once

#include <memory>

#include "sim/view/live_view.h"

namespace orvane::sim {

// Takes over Ctrl+C and the terminal until destroyed.
std::unique_ptr<ViewScreen> OpenViewScreen();

}  // namespace orvane::sim
