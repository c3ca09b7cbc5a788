// A rich-text box that shows a program's serial output by the terminal's text model: the serial
// terminal's and the live board's panes.
#pragma once

#include <windows.h>

#include "app/win32/win32_window.h"
#include "ui/drawing/terminal_text.h"

namespace orvane::app {

// Makes the box, read-only and multi-line with `style` added, with room for all the text model
// keeps shown as escapes (left at the box's default it stops growing at 32 K characters).
HWND CreateTerminalTextBox(HWND parent, int id, DWORD style, const Bounds& bounds);

// Shows a change of the text model in the box: new text at the end, or all of it anew.
void ShowTerminalChange(HWND box, const ui::TerminalText::Change& change);

}  // namespace orvane::app
