// The one modal error message box of the program: caption "Error", the error icon, one OK button.
// Every message to the user goes through ShowErrorBox, so tests can capture the messages instead
// of blocking on a box that nobody closes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace orvane::app {

inline constexpr const char* kErrorBoxCaption = "Error";

// Shows the box owned by `owner` (may be null) and returns when the user has closed it.
void ShowErrorBox(HWND owner, const std::string& text);

// While a hook is set, ShowErrorBox hands the text to it and shows nothing. Returns the previous
// hook. For tests.
using ErrorBoxHook = std::function<void(HWND owner, const std::string& text)>;
ErrorBoxHook SetErrorBoxHook(ErrorBoxHook hook);

}  // namespace orvane::app
