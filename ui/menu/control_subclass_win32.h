// TControlSubClass: the hook of one standard control. It passes every message on to the
// control's own window procedure first, keeps the hot, focused, mouse-down and space-down flags,
// and repaints the control's frame and marks flat in the painter's colours when a message calls
// for it. Restore() gives back the procedure, look and border style it found.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ui/menu/xp_menu_style.h"

namespace orvane::ui::menu {

class TXPMenu;

// What a control painter needs to know.
struct ControlLook {
  HWND control;
  bool hot;
  bool focused;
  bool mouseDown;
  bool spaceDown;
  const WorkingColors& colors;
  const SystemColors& system;
  bool highColor;
  const XPMenuProperties& properties;
};

void PaintComboBox(const ControlLook& look);
void PaintCheckBox(const ControlLook& look);
void PaintRadioButton(const ControlLook& look);
void PaintGroupBox(const ControlLook& look);
void PaintBitmapButton(const ControlLook& look);
void PaintProgressBar(const ControlLook& look);
void PaintPanel(const ControlLook& look);
void PaintRichEdit(const ControlLook& look);

class TControlSubClass {
 public:
  TControlSubClass(HWND control, std::uint32_t kind, TXPMenu& painter);
  TControlSubClass(const TControlSubClass&) = delete;
  TControlSubClass& operator=(const TControlSubClass&) = delete;

  // Gives back the window procedure, the 3-D look and the border, and repaints the control.
  void Restore();
  HWND Control() const { return control_; }
  std::uint32_t Kind() const { return kind_; }
  bool Hot() const { return hot_; }
  UINT LastMessage() const { return lastMessage_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                               DWORD_PTR self);
  void BeforeMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool CallsForPaint(UINT message) const;
  void Paint();

  HWND control_;
  std::uint32_t kind_;
  TXPMenu& painter_;
  // The looks that hooking changes, as they were: the border and the 3-D edge. Only these are
  // given back; the rest of the style (visible, enabled, ...) may change while hooked.
  LONG_PTR savedBorder_;
  LONG_PTR savedClientEdge_;
  UINT lastMessage_ = 0;
  bool hot_ = false;
  bool focused_ = false;
  bool mouseDown_ = false;
  bool spaceDown_ = false;
  bool tracking_ = false;
};

}  // namespace orvane::ui::menu
