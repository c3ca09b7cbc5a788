#include "ui/menu/control_subclass_win32.h"

#include <richedit.h>

#include "ui/menu/xp_menu_win32.h"

namespace orvane::ui::menu {
namespace {

constexpr UINT_PTR kControlHookId = 0x5843;  // "XC"
// Room between the rich-edit box's text and its flat frame: the border's width.
constexpr int kRichEditBorder = 2;

void SetFormattingInset(HWND richEdit, int inset) {
  RECT rect{};
  GetClientRect(richEdit, &rect);
  InflateRect(&rect, -inset, -inset);
  SendMessageA(richEdit, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&rect));
}

// Sets the bits of `mask` in a style word to those of `value`, leaving every other bit as it is.
void SetStyleBits(HWND control, int which, LONG_PTR mask, LONG_PTR value) {
  const LONG_PTR style = GetWindowLongPtrA(control, which);
  SetWindowLongPtrA(control, which, (style & ~mask) | (value & mask));
}

void FrameChanged(HWND control) {
  SetWindowPos(control, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace

TControlSubClass::TControlSubClass(HWND control, std::uint32_t kind, TXPMenu& painter)
    : control_(control),
      kind_(kind),
      painter_(painter),
      savedBorder_(GetWindowLongPtrA(control, GWL_STYLE) & WS_BORDER),
      savedClientEdge_(GetWindowLongPtrA(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) {
  SetWindowSubclass(control_, Proc, kControlHookId, reinterpret_cast<DWORD_PTR>(this));
  if (kind_ == xcRichEdit) {
    // Its own sunken border gives way to a flat frame with the border's width inside it.
    SetStyleBits(control_, GWL_EXSTYLE, WS_EX_CLIENTEDGE, 0);
    SetStyleBits(control_, GWL_STYLE, WS_BORDER, 0);
    SetFormattingInset(control_, kRichEditBorder + 1);
  }
  FrameChanged(control_);
}

void TControlSubClass::Restore() {
  RemoveWindowSubclass(control_, Proc, kControlHookId);
  if (!IsWindow(control_)) return;
  SetStyleBits(control_, GWL_STYLE, WS_BORDER, savedBorder_);
  SetStyleBits(control_, GWL_EXSTYLE, WS_EX_CLIENTEDGE, savedClientEdge_);
  if (kind_ == xcRichEdit) SendMessageA(control_, EM_SETRECT, 0, 0);
  FrameChanged(control_);
}

LRESULT CALLBACK TControlSubClass::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR self) {
  auto* hook = reinterpret_cast<TControlSubClass*>(self);
  if (message == WM_NCDESTROY) {
    // The control goes: its own procedure back, and the hook object freed.
    RemoveWindowSubclass(hwnd, Proc, id);
    TXPMenu& painter = hook->painter_;
    painter.Forget(hwnd);
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }
  hook->BeforeMessage(message, wParam, lParam);
  const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
  hook->lastMessage_ = message;
  if (message == WM_LBUTTONDBLCLK && (hook->kind_ & (xcButton | xcBitBtn | xcCheckBox))) {
    // A quick second click counts as a click, not as a double click.
    SendMessageA(hwnd, WM_LBUTTONDOWN, wParam, lParam);
  }
  try {
    if (hook->CallsForPaint(message) && hook->painter_.Active()) hook->Paint();
  } catch (...) {
    // The control's own picture stays; painting must never break its messages.
  }
  return result;
}

void TControlSubClass::BeforeMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_MOUSEMOVE:
      if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, control_, 0};
        tracking_ = TrackMouseEvent(&track) != FALSE;
        hot_ = true;
      }
      break;
    case WM_MOUSELEAVE:
      tracking_ = false;
      hot_ = false;
      break;
    case WM_SETFOCUS:
      focused_ = hot_ = true;
      break;
    case WM_KILLFOCUS:
      focused_ = hot_ = false;
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      mouseDown_ = true;
      break;
    case WM_LBUTTONUP:
      mouseDown_ = false;
      break;
    case WM_KEYDOWN:
    case WM_KEYUP:
      if (wParam == VK_SPACE) spaceDown_ = message == WM_KEYDOWN;
      break;
    case BM_SETCHECK:
    case BM_GETCHECK:
      hot_ = false;
      break;
    case WM_ENABLE:
      if (!wParam) hot_ = false;
      break;
    default:
      break;
  }
}

bool TControlSubClass::CallsForPaint(UINT message) const {
  switch (message) {
    case WM_PAINT:
    case WM_NCPAINT:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case BM_SETCHECK:
    case BM_SETSTATE:
    case WM_SETTEXT:
    case WM_ENABLE:
    case WM_SYSCOLORCHANGE:
    case CB_SHOWDROPDOWN:
    case WM_UPDATEUISTATE:
    case BM_SETSTYLE:
      return true;
    default:
      return false;
  }
}

void TControlSubClass::Paint() {
  if (!IsWindowVisible(control_)) return;
  const SystemColors system = painter_.CurrentSystemColors();
  const WorkingColors colors = painter_.Colors();
  HWND focus = GetFocus();
  const bool focused = focus == control_ || (focus && IsChild(control_, focus));
  const ControlLook look{control_,
                         hot_,
                         focused,
                         mouseDown_,
                         spaceDown_,
                         colors,
                         system,
                         painter_.HighColor(),
                         painter_.Properties()};
  switch (kind_) {
    case xcCombo:
      return PaintComboBox(look);
    case xcCheckBox:
      return PaintCheckBox(look);
    case xcRadioButton:
      return PaintRadioButton(look);
    case xcGroupBox:
      return PaintGroupBox(look);
    case xcBitBtn:
      return PaintBitmapButton(look);
    case xcProgressBar:
      return PaintProgressBar(look);
    case xcPanel:
      return PaintPanel(look);
    case xcRichEdit:
      return PaintRichEdit(look);
    default:
      return;
  }
}

}  // namespace orvane::ui::menu
