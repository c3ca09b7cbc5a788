// TXPMenu, the flat-look painter placed on a window: while active it draws the window's menu
// items (owner drawing) and toolbar buttons itself, and hooks the window's standard controls to
// repaint their frames and marks flat. Through the shared manager (xp_menu_manager.h) the lead
// painter styles the application's other windows too.
#pragma once

#include <windows.h>
// The common controls' header needs the definitions above.
#include <commctrl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/menu/bitmap.h"
#include "ui/menu/gdi_win32.h"
#include "ui/menu/xp_menu_style.h"

namespace orvane::ui::menu {

class TControlSubClass;

class TXPMenu {
 public:
  explicit TXPMenu(XPMenuProperties properties = {});
  // Unhooks everything first.
  ~TXPMenu();
  TXPMenu(const TXPMenu&) = delete;
  TXPMenu& operator=(const TXPMenu&) = delete;

  // The window the painter belongs to, and the image list of that window's menu and toolbar.
  void PlaceOn(HWND window, HIMAGELIST images);
  HWND Window() const { return window_; }

  bool Active() const { return active_; }
  // On: hooks what the window owns and redraws its menu bar; off: unhooks and redraws.
  void SetActive(bool active);
  const XPMenuProperties& Properties() const { return style_.Properties(); }
  // Changes any property; the working colours follow at the next drawing. Changing the kinds of
  // controls or containers while active hooks anew with the new sets.
  XPMenuProperties& Change() {
    font_ = GdiObject<HFONT>();  // made anew from the font property when next needed
    return style_.Change();
  }
  void SetXPControls(std::uint32_t kinds);
  void SetXPContainers(std::uint32_t kinds);

  // The colours of the next drawing, for the display as it is (or as set for tests).
  const WorkingColors& Colors();
  bool HighColor() const;
  SystemColors CurrentSystemColors() const;
  // 0: the screen's depth; anything else stands for it (tests of the low-colour variant).
  void SetDisplayBits(int bits) { displayBits_ = bits; }
  HFONT Font();

  // The controls of another window, walked as this painter walks its own (the shared manager).
  void HookWindow(HWND window);
  void UnhookWindow(HWND window);
  bool Hooks(HWND control) const { return controls_.count(control) != 0; }
  // A hooked control that is being destroyed lets go of its hook through this.
  void Forget(HWND control);

 private:
  // What the painter keeps of an item it draws, and what it restores when it lets go.
  struct HookedItem {
    HMENU menu = nullptr;
    bool topLevel = false;
    bool separator = false;
    bool hasSubItems = false;
    std::string caption;
    std::string shortcut;
    int imageIndex = -1;
    UINT oldType = 0;
    HBITMAP oldBitmap = nullptr;
    ULONG_PTR oldData = 0;
  };
  struct HookedToolbar {
    HWND toolbar;
    LONG_PTR oldStyle;
  };

  void Hook();
  void Unhook();
  void HookMenu(HMENU menu, bool topLevel);
  void UnhookMenus();
  void HookToolbar(HWND toolbar);
  void HookControls(HWND container);
  void HookControl(HWND control, std::uint32_t kind);
  void UnhookControlsOf(HWND window);

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR self);
  bool OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  HookedItem* ItemOf(ULONG_PTR data);
  void MeasureItem(MEASUREITEMSTRUCT& measure);
  void DrawItem(const DRAWITEMSTRUCT& draw);
  void ComposeItem(const DRAWITEMSTRUCT& draw, const HookedItem& item);
  LRESULT ToolbarCustomDraw(NMTBCUSTOMDRAW& draw);
  void DrawToolButton(NMTBCUSTOMDRAW& draw);
  const Bitmap* Image(int index);

  XPMenuStyle style_;
  HWND window_ = nullptr;
  HIMAGELIST images_ = nullptr;
  bool active_ = false;
  int displayBits_ = 0;
  GdiObject<HFONT> font_;
  std::vector<std::unique_ptr<HookedItem>> items_;
  std::vector<HookedToolbar> toolbars_;
  std::map<HWND, std::unique_ptr<TControlSubClass>> controls_;
  std::map<int, Bitmap> imageCache_;
};

// What the painter sees a control as: one of the XPControl kinds, or 0 for one it leaves alone.
std::uint32_t ControlKind(HWND control);
// What the painter sees a window as a container: one of the XPContainer kinds, or 0.
std::uint32_t ContainerKind(HWND window);

}  // namespace orvane::ui::menu
