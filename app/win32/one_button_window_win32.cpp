#include "app/win32/one_button_window.h"

#include "app/win32/glyph_button.h"

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

// Only the first activation after a show resets the window: coming back to it from another
// program, or from another of our windows, leaves its result and its bar as they are.
void OneButtonWindow::OnActivate(bool active) {
  if (!active || !activationPending_) return;
  activationPending_ = false;
  FormActivate();
}

LRESULT OneButtonWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // Only a show by the program (lParam 0), not the owner's coming back from an icon.
  if (message == WM_SHOWWINDOW && lParam == 0) activationPending_ = wParam != FALSE;
  return Window::OnMessage(message, wParam, lParam);
}

bool OneButtonWindow::OnClose() {
  // Closing while the button is hidden would leave the main window disabled (the progress window
  // during a run) or with nothing to enable it.
  if (ButtonVisible()) BitBtn1Click();
  return true;
}

}  // namespace orvane::app
