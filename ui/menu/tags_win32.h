// Tags of windows and menus, by which the painter is kept away from them (kKeepPlatformLook), and
// the marks by which a window tells the painter what a control is where its class does not.
#pragma once

#include <windows.h>

#include <cstdint>

namespace orvane::ui::menu {

inline constexpr const char* kTagProperty = "OrvaneTag";
inline constexpr const char* kPanelProperty = "OrvanePanel";
inline constexpr const char* kGlyphProperty = "OrvaneGlyph";

inline int Tag(HWND window) {
  return static_cast<int>(reinterpret_cast<std::intptr_t>(GetPropA(window, kTagProperty)));
}
inline void SetTag(HWND window, int tag) {
  SetPropA(window, kTagProperty, reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(tag)));
}

inline int MenuTag(HMENU menu) {
  MENUINFO info{};
  info.cbSize = sizeof info;
  info.fMask = MIM_MENUDATA;
  return GetMenuInfo(menu, &info) ? static_cast<int>(info.dwMenuData) : 0;
}
inline void SetMenuTag(HMENU menu, int tag) {
  MENUINFO info{};
  info.cbSize = sizeof info;
  info.fMask = MIM_MENUDATA;
  info.dwMenuData = static_cast<ULONG_PTR>(tag);
  SetMenuInfo(menu, &info);
}

// A static control that is a panel (a bevelled box with centred text), not a label.
inline void MarkAsPanel(HWND control) {
  SetPropA(control, kPanelProperty, reinterpret_cast<HANDLE>(1));
}
inline bool IsPanel(HWND control) { return GetPropA(control, kPanelProperty) != nullptr; }

// The glyph of a push button that its window draws itself: painters that draw the button anew
// draw this icon (the window keeps it alive). A property rather than the button's own image,
// which would make the system draw an owner-drawn button as an ordinary one.
inline void SetGlyph(HWND button, HICON glyph) { SetPropA(button, kGlyphProperty, glyph); }
inline HICON Glyph(HWND button) { return static_cast<HICON>(GetPropA(button, kGlyphProperty)); }

}  // namespace orvane::ui::menu
