// The windows' controls made as designed: group boxes, labels that fit their text, combo boxes of
// a fixed height, check boxes, and radio groups with their buttons spread below the caption.
#pragma once

#include <windows.h>

#include <span>

#include "app/win32/win32_controls.h"
#include "app/win32/win32_window.h"

namespace orvane::app {

// A group box whose children's notifications reach the window.
HWND CreateGroupBox(HWND parent, int id, const char* caption, const Bounds& bounds);
// A label as wide and high as its text.
HWND CreateLabel(HWND parent, int id, const char* caption, int left, int top);
// A drop-down combo box: `closed` is its place when closed, `listHeight` the height with the
// list down.
HWND CreateComboBox(HWND parent, int id, const Bounds& closed, int listHeight);
HWND CreateCheckBox(HWND parent, int id, const char* caption, const Bounds& bounds);
// A one-column radio group with one button per item, given the ids from `firstItemId` on.
void CreateRadioGroup(Win32RadioGroup& group, HWND parent, int id, int firstItemId,
                      const char* caption, const Bounds& bounds,
                      std::span<const char* const> items);

}  // namespace orvane::app
