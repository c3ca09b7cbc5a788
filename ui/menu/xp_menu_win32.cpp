#include "ui/menu/xp_menu_win32.h"

#include "ui/menu/control_subclass_win32.h"
#include "ui/menu/tags_win32.h"
#include "ui/menu/xp_menu_manager_win32.h"

namespace orvane::ui::menu {
namespace {

constexpr UINT_PTR kWindowHookId = 0x5850;  // "XP"

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

bool IsClass(HWND window, const char* name) {
  return lstrcmpiA(ClassOf(window).c_str(), name) == 0;
}

}  // namespace

std::uint32_t ControlKind(HWND control) {
  const LONG_PTR style = GetWindowLongPtrA(control, GWL_STYLE);
  if (IsClass(control, "ComboBox")) return xcCombo;
  if (IsClass(control, PROGRESS_CLASSA)) return xcProgressBar;
  if (IsClass(control, "RichEdit20A") || IsClass(control, "RichEdit20W") ||
      IsClass(control, "RICHEDIT50W")) {
    return xcRichEdit;
  }
  if (IsClass(control, "Static")) return IsPanel(control) ? std::uint32_t{xcPanel} : 0;
  if (!IsClass(control, "Button")) return 0;
  switch (style & BS_TYPEMASK) {
    case BS_GROUPBOX:
      return xcGroupBox;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
      return xcCheckBox;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      return xcRadioButton;
    case BS_OWNERDRAW:
      return xcBitBtn;  // push buttons with a glyph
    default:
      return 0;
  }
}

std::uint32_t ContainerKind(HWND window) {
  if (!(GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD)) return xccForm;
  if (ControlKind(window) == xcGroupBox) return xccGroupBox;
  if (ControlKind(window) == xcPanel) return xccPanel;
  if (IsClass(window, TOOLBARCLASSNAMEA)) return xccToolbar;
  return 0;
}

TXPMenu::TXPMenu(XPMenuProperties properties) : style_(std::move(properties)) {
  TXPMenuManager::Instance().Register(this);
}

TXPMenu::~TXPMenu() {
  SetActive(false);
  TXPMenuManager::Release(this);
}

void TXPMenu::PlaceOn(HWND window, HIMAGELIST images) {
  const bool wasActive = active_;
  SetActive(false);
  window_ = window;
  images_ = images;
  SetActive(wasActive);
}

void TXPMenu::SetActive(bool active) {
  if (active == active_) return;
  active_ = active;
  if (window_) {
    if (active) {
      Hook();
    } else {
      Unhook();
    }
    DrawMenuBar(window_);
  }
  TXPMenuManager::Instance().PainterChanged(this);
}

void TXPMenu::SetXPControls(std::uint32_t kinds) {
  const bool wasActive = active_;
  SetActive(false);
  style_.Change().XPControls = kinds;
  SetActive(wasActive);
}

void TXPMenu::SetXPContainers(std::uint32_t kinds) {
  const bool wasActive = active_;
  SetActive(false);
  style_.Change().XPContainers = kinds;
  SetActive(wasActive);
}

SystemColors TXPMenu::CurrentSystemColors() const {
  SystemColors s;
  s.buttonFace = FromColorRef(GetSysColor(COLOR_BTNFACE));
  s.highlight = FromColorRef(GetSysColor(COLOR_HIGHLIGHT));
  s.buttonShadow = FromColorRef(GetSysColor(COLOR_BTNSHADOW));
  s.windowText = FromColorRef(GetSysColor(COLOR_WINDOWTEXT));
  s.inactiveCaption = FromColorRef(GetSysColor(COLOR_INACTIVECAPTION));
  s.window = FromColorRef(GetSysColor(COLOR_WINDOW));
  return s;
}

bool TXPMenu::HighColor() const {
  if (displayBits_ > 0) return IsHighColor(displayBits_);
  WindowDC screen(nullptr);
  return IsHighColor(GetDeviceCaps(screen.get(), BITSPIXEL) * GetDeviceCaps(screen.get(), PLANES));
}

const WorkingColors& TXPMenu::Colors() {
  return style_.Colors(CurrentSystemColors(), HighColor() ? kHighColorBits : kHighColorBits - 1);
}

HFONT TXPMenu::Font() {
  if (!font_) {
    const FontSetting& setting = Properties().Font;
    if (setting.name.empty()) {
      NONCLIENTMETRICSA metrics{};
      metrics.cbSize = sizeof metrics;
      SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
      font_ = GdiObject<HFONT>(CreateFontIndirectA(&metrics.lfMenuFont));
    } else {
      font_ = GdiObject<HFONT>(CreateFontA(-setting.pixelHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                                           FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                           DEFAULT_PITCH | FF_SWISS, setting.name.c_str()));
    }
  }
  return font_.get();
}

// ---- walking and hooking ----

void TXPMenu::Hook() {
  imageCache_.clear();
  SetWindowSubclass(window_, WindowProc, kWindowHookId, reinterpret_cast<DWORD_PTR>(this));
  const std::uint32_t kinds = Properties().XPControls;
  HMENU menu = GetMenu(window_);
  if (menu && (kinds & xcMainMenu) && MenuTag(menu) != kKeepPlatformLook) HookMenu(menu, true);
  HookControls(window_);
}

void TXPMenu::Unhook() {
  UnhookMenus();
  for (const HookedToolbar& hooked : toolbars_) {
    if (!IsWindow(hooked.toolbar)) continue;
    SetWindowLongPtrA(hooked.toolbar, GWL_STYLE, hooked.oldStyle);
    InvalidateRect(hooked.toolbar, nullptr, TRUE);
  }
  toolbars_.clear();
  // Every hook, this window's and those made for the manager in other windows.
  while (!controls_.empty()) {
    auto node = controls_.extract(controls_.begin());
    node.mapped()->Restore();
  }
  RemoveWindowSubclass(window_, WindowProc, kWindowHookId);
}

void TXPMenu::HookControls(HWND container) {
  const XPMenuProperties& p = Properties();
  if (!(ContainerKind(container) & p.XPContainers) || Tag(container) == kKeepPlatformLook) return;
  for (HWND child = GetWindow(container, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (Tag(child) == kKeepPlatformLook) continue;
    if (IsClass(child, TOOLBARCLASSNAMEA)) {
      if (p.XPControls & xcToolbar) HookToolbar(child);
      continue;
    }
    const std::uint32_t kind = ControlKind(child);
    if (kind & p.XPControls) HookControl(child, kind);
    // Radio groups, group boxes and panels hold controls of their own.
    if (ContainerKind(child)) HookControls(child);
  }
}

void TXPMenu::HookControl(HWND control, std::uint32_t kind) {
  if (controls_.count(control)) return;
  controls_[control] = std::make_unique<TControlSubClass>(control, kind, *this);
}

void TXPMenu::HookWindow(HWND window) {
  if (active_ && window && window != window_) HookControls(window);
}

void TXPMenu::UnhookWindow(HWND window) { UnhookControlsOf(window); }

void TXPMenu::UnhookControlsOf(HWND window) {
  for (auto it = controls_.begin(); it != controls_.end();) {
    if (GetAncestor(it->first, GA_ROOT) == window) {
      it->second->Restore();
      it = controls_.erase(it);
    } else {
      ++it;
    }
  }
}

void TXPMenu::Forget(HWND control) { controls_.erase(control); }

// ---- the window's messages ----

LRESULT CALLBACK TXPMenu::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR self) {
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, WindowProc, id);
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }
  LRESULT result = 0;
  if (reinterpret_cast<TXPMenu*>(self)->OnWindowMessage(message, wParam, lParam, result)) {
    return result;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

bool TXPMenu::OnWindowMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_MEASUREITEM: {
      auto& measure = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (measure.CtlType != ODT_MENU || !ItemOf(measure.itemData)) return false;
      MeasureItem(measure);
      result = TRUE;
      return true;
    }
    case WM_DRAWITEM: {
      const auto& draw = *reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      if (draw.CtlType != ODT_MENU || !ItemOf(draw.itemData)) return false;
      DrawItem(draw);
      result = TRUE;
      return true;
    }
    case WM_NOTIFY: {
      auto& header = *reinterpret_cast<NMHDR*>(lParam);
      if (header.code != static_cast<UINT>(NM_CUSTOMDRAW)) return false;
      for (const HookedToolbar& hooked : toolbars_) {
        if (hooked.toolbar != header.hwndFrom) continue;
        result = ToolbarCustomDraw(*reinterpret_cast<NMTBCUSTOMDRAW*>(lParam));
        return true;
      }
      return false;
    }
    default:
      return false;
  }
}

}  // namespace orvane::ui::menu
