#include "app/one_button_window.h"

#include "app/glyph_button.h"

namespace orvane::app {

bool OneButtonWindow::ButtonVisible() const {
  return (GetWindowLongPtrA(BitBtn1, GWL_STYLE) & WS_VISIBLE) != 0;
}

void OneButtonWindow::SetButtonVisible(bool visible) {
  ShowWindow(BitBtn1, visible ? SW_SHOWNA : SW_HIDE);
}

void OneButtonWindow::CreateButton(const std::string& caption, const Bounds& bounds, bool visible) {
  BitBtn1 = CreateGlyphButton(Handle(), buttonId_, caption, bounds, visible, icon_.get());
}

bool OneButtonWindow::OnCommand(int id, int code, HWND) {
  const bool enter = defaultButton_ && id == IDOK && ButtonVisible();
  if ((id == buttonId_ && code == BN_CLICKED) || enter) {
    BitBtn1Click();
    return true;
  }
  return false;
}

bool OneButtonWindow::OnDrawItem(DRAWITEMSTRUCT& item) {
  if (item.CtlID != static_cast<UINT>(buttonId_)) return false;
  DrawGlyphButton(item, glyph_, defaultButton_);
  return true;
}

void OneButtonWindow::OnActivate(bool active) {
  if (active) FormActivate();
}

bool OneButtonWindow::OnClose() {
  // Closing while the button is hidden would leave the main window disabled (the progress window
  // during a run) or with nothing to enable it.
  if (ButtonVisible()) BitBtn1Click();
  return true;
}

}  // namespace orvane::app
