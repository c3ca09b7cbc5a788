// A rich-text box that shows a program's serial output by the terminal's text model: the serial
// terminal's and the live board's panes.
#pragma once

#include <windows.h>

#include "ui/terminal_text.h"

namespace orvane::app {

// Shows a change of the text model in the box: new text at the end, or all of it anew.
void ShowTerminalChange(HWND box, const ui::TerminalText::Change& change);

}  // namespace orvane::app
