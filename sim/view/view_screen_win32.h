// The Windows console's input as the live view takes it.
#pragma once

#include <windows.h>

#include "sim/view/live_view.h"

namespace orvane::sim {

// Sorts console input records: F1 and F2 press the buttons, plain characters are typed to the
// program, a change of the screen buffer's size asks for a redraw; the rest is ignored.
void SortConsoleInput(const INPUT_RECORD* records, DWORD count, ViewInput& input);

}  // namespace orvane::sim
