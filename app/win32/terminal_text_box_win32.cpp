#include "app/win32/terminal_text_box.h"

#include <richedit.h>

#include <string>

namespace orvane::app {
namespace {

// Four characters (an escape) for each kept byte, and the slack before the model redraws.
constexpr LPARAM kTextLimit = 1 << 20;

}  // namespace

HWND CreateTerminalTextBox(HWND parent, int id, DWORD style, const Bounds& bounds) {
  HWND box =
      CreateControl(RICHEDIT_CLASSA, "",
                    style | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                    WS_EX_CLIENTEDGE, parent, id, bounds);
  SendMessageA(box, EM_EXLIMITTEXT, 0, kTextLimit);
  return box;
}

// New text goes at the end without disturbing the reader: a selection stays (to be copied), and
// the view follows the end only when it was there already.
void ShowTerminalChange(HWND box, const ui::TerminalText::Change& change) {
  // The box takes "\r\n" as its line end.
  const std::string text = ui::WithLineEnds(change.text, ui::LineEnd::CrLf);
  if (change.redraw) {
    SetWindowTextA(box, text.c_str());
    SendMessageA(box, WM_VSCROLL, SB_BOTTOM, 0);
    return;
  }
  if (text.empty()) return;
  SCROLLINFO scroll{};
  scroll.cbSize = sizeof scroll;
  scroll.fMask = SIF_ALL;
  GetScrollInfo(box, SB_VERT, &scroll);
  const bool atEnd =
      scroll.nPage == 0 || scroll.nPos + static_cast<int>(scroll.nPage) >= scroll.nMax;
  CHARRANGE selection{};
  SendMessageA(box, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
  SendMessageA(box, WM_SETREDRAW, FALSE, 0);
  const LRESULT end = GetWindowTextLengthA(box);
  SendMessageA(box, EM_SETSEL, static_cast<WPARAM>(end), end);
  SendMessageA(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageA(box, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
  SendMessageA(box, WM_SETREDRAW, TRUE, 0);
  if (atEnd) {
    SendMessageA(box, WM_VSCROLL, SB_BOTTOM, 0);
  } else {
    SendMessageA(box, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, scroll.nPos), 0);
  }
  InvalidateRect(box, nullptr, TRUE);
}

}  // namespace orvane::app
