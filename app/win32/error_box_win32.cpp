#include "app/win32/error_box.h"

#include <utility>

namespace orvane::app {
namespace {

ErrorBoxHook& Hook() {
  static ErrorBoxHook hook;
  return hook;
}

}  // namespace

void ShowErrorBox(HWND owner, const std::string& text) {
  if (Hook()) {
    Hook()(owner, text);
    return;
  }
  MessageBoxA(owner, text.c_str(), kErrorBoxCaption, MB_OK | MB_ICONERROR);
}

ErrorBoxHook SetErrorBoxHook(ErrorBoxHook hook) { return std::exchange(Hook(), std::move(hook)); }

}  // namespace orvane::app
