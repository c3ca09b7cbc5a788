#include "app/win32/screens.h"

namespace orvane::app {
namespace {

WindowPlace PlaceOf(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

BOOL CALLBACK AddScreen(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  auto& screens = *reinterpret_cast<std::vector<WindowPlace>*>(list);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return TRUE;
  if (info.dwFlags & MONITORINFOF_PRIMARY) {
    screens.insert(screens.begin(), PlaceOf(info.rcWork));
  } else {
    screens.push_back(PlaceOf(info.rcWork));
  }
  return TRUE;
}

}  // namespace

std::vector<WindowPlace> ScreenWorkAreas() {
  std::vector<WindowPlace> screens;
  EnumDisplayMonitors(nullptr, nullptr, AddScreen, reinterpret_cast<LPARAM>(&screens));
  if (screens.empty()) {
    screens.push_back({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  }
  return screens;
}

WindowPlace OuterPlace(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return PlaceOf(r);
}

void MoveToKeptPlace(HWND window, const WindowSettings& settings, std::string_view key,
                     const WindowPlace& designed) {
  // The kept place is the outer one; the size stays the window's own.
  const WindowPlace outer = OuterPlace(window);
  const WindowPlace size{0, 0, outer.width, outer.height};
  const WindowPlace place = settings.ReadPlace(
      key, {designed.left, designed.top, size.width, size.height}, ScreenWorkAreas(), size);
  SetWindowPos(window, nullptr, place.left, place.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace orvane::app
