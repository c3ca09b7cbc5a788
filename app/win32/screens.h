// The screens a window may stand on, as the places of the settings file count them.
#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

#include "app/window_settings.h"

namespace orvane::app {

// The work area (without the task bar) of every screen attached now, the primary one first.
std::vector<WindowPlace> ScreenWorkAreas();

// A window's outer place on the screen.
WindowPlace OuterPlace(HWND window);

// Moves a window of fixed size to the outer place kept under `key`, or to its first place
// `designed` (only left and top count) when none is kept; either stays on a screen that exists.
void MoveToKeptPlace(HWND window, const WindowSettings& settings, std::string_view key,
                     const WindowPlace& designed);

}  // namespace orvane::app
