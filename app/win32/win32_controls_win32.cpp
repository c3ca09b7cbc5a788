#include <windows.h>
// The common controls' header needs the definitions above.
#include <commctrl.h>

#include <algorithm>

#include "app/win32/win32_controls.h"
#include "app/win32/win32_window.h"
#include "ui/menu/win32_handles_win32.h"

namespace orvane::app {

// ---- combo box ----

int Win32ComboBox::ItemCount() const {
  return static_cast<int>(SendMessageA(handle_, CB_GETCOUNT, 0, 0));
}

std::string Win32ComboBox::Item(int index) const {
  const LRESULT length = SendMessageA(handle_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT copied = SendMessageA(handle_, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                      reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied == CB_ERR ? 0 : static_cast<std::size_t>(copied));
  return text;
}

void Win32ComboBox::AddItem(const std::string& text) {
  SendMessageA(handle_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  // The list opens as wide as its longest entry: network boards of one host differ only at
  // the end of their addresses, which a list as narrow as the box would cut off.
  SIZE size{};
  {
    ui::WindowDC dc(handle_);
    ui::Selected font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageA(handle_, WM_GETFONT, 0, 0)));
    if (dc.get()) {
      GetTextExtentPoint32A(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    }
  }
  const LONG needed = size.cx + 2 * GetSystemMetrics(SM_CXEDGE) + 8;
  const LRESULT width = SendMessageA(handle_, CB_GETDROPPEDWIDTH, 0, 0);
  if (width != CB_ERR && needed > width) {
    SendMessageA(handle_, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(needed), 0);
  }
}

std::string Win32ComboBox::Text() const { return WindowText(handle_); }

void Win32ComboBox::SetItemIndex(int index) {
  SendMessageA(handle_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int Win32ComboBox::ItemIndex() const {
  return static_cast<int>(SendMessageA(handle_, CB_GETCURSEL, 0, 0));
}

// ---- check box ----

bool Win32CheckBox::Checked() const {
  return SendMessageA(handle_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32CheckBox::SetChecked(bool checked) {
  if (checked == Checked()) return;
  SendMessageA(handle_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  // A click by the user reports itself (BN_CLICKED); a change made here must as well.
  if (OnChange) OnChange();
}

// ---- radio group ----

void Win32RadioGroup::Attach(HWND groupBox, std::vector<HWND> buttons) {
  groupBox_ = groupBox;
  buttons_ = std::move(buttons);
}

int Win32RadioGroup::ItemIndex() const {
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    if (SendMessageA(buttons_[i], BM_GETCHECK, 0, 0) == BST_CHECKED) return static_cast<int>(i);
  }
  return -1;
}

void Win32RadioGroup::SetItemIndex(int index) {
  if (index < -1 || index >= ItemCount()) return;
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    const bool on = static_cast<int>(i) == index;
    SendMessageA(buttons_[i], BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  // The tab key stops at the chosen item, as it does after a click.
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    const LONG_PTR style = GetWindowLongPtrA(buttons_[i], GWL_STYLE);
    const bool stop = static_cast<int>(i) == (index < 0 ? 0 : index);
    SetWindowLongPtrA(buttons_[i], GWL_STYLE, stop ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
  }
}

// ---- status bar ----

std::string Win32StatusBar::PanelText(int panel) const {
  const LRESULT info = SendMessageA(handle_, SB_GETTEXTLENGTHA, static_cast<WPARAM>(panel), 0);
  std::string text(static_cast<std::size_t>(LOWORD(info)) + 1, '\0');
  SendMessageA(handle_, SB_GETTEXTA, static_cast<WPARAM>(panel),
               reinterpret_cast<LPARAM>(text.data()));
  text.resize(LOWORD(info));
  return text;
}

void Win32StatusBar::SetPanelText(int panel, const std::string& text) {
  SendMessageA(handle_, SB_SETTEXTA, static_cast<WPARAM>(panel),
               reinterpret_cast<LPARAM>(text.c_str()));
}

void Win32StatusBar::Repaint() { RepaintNow(handle_); }

// ---- progress bar ----

void Win32ProgressBar::Attach(HWND handle) {
  handle_ = handle;
  const int position = static_cast<int>(SendMessageA(handle_, PBM_GETPOS, 0, 0));
  Assume(static_cast<int>(SendMessageA(handle_, PBM_GETRANGE, TRUE, 0)),
         static_cast<int>(SendMessageA(handle_, PBM_GETRANGE, FALSE, 0)), position);
  shownPosition_ = position;
}

void Win32ProgressBar::RangeChanged() {
  SendMessageA(handle_, PBM_SETRANGE32, static_cast<WPARAM>(Min()), Max());
  // The control keeps its position within the new range, as the model does; it is given the
  // exact position again.
  SendMessageA(handle_, PBM_SETPOS, static_cast<WPARAM>(Position()), 0);
  shownPosition_ = Position();
}

int Win32ProgressBar::FilledPixels(int position) const {
  RECT client{};
  GetClientRect(handle_, &client);
  const long long span = static_cast<long long>(Max()) - Min();
  if (span <= 0) return 0;
  return static_cast<int>((static_cast<long long>(position) - Min()) *
                          (client.right - client.left) / span);
}

// Gives the control the position only when its picture differs from the one shown.
void Win32ProgressBar::PositionChanged() {
  const int position = Position();
  if (position == shownPosition_) return;
  // The ends are always shown exactly, so an observer of the control sees them.
  const bool end = position == Min() || position == Max();
  if (!end && FilledPixels(position) == FilledPixels(shownPosition_)) return;
  SendMessageA(handle_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  shownPosition_ = position;
}

namespace {
// A message number of the application's range that the program never uses.
constexpr UINT kNoMessage = WM_APP + 0x3FFF;
}  // namespace

void RepaintNow(HWND window) {
  if (window) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    // Under Wine what is drawn reaches the screen only when the thread next looks for messages,
    // and a caller that blocks next (the result display) would show a half-drawn window. Looking
    // for a message that nobody sends lets the drawing through and runs no message.
    MSG none;
    PeekMessageA(&none, nullptr, kNoMessage, kNoMessage, PM_NOREMOVE);
  }
}

}  // namespace orvane::app
