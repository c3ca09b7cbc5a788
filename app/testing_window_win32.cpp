#include <windows.h>
// The common controls' header needs the definitions above.
#include <commctrl.h>
#include <richedit.h>

#include <stdexcept>

#include "app/application.h"
#include "app/control_ids.h"
#include "app/glyph_button.h"
#include "app/main_window.h"
#include "app/testing_window.h"
#include "ui/menu/tags_win32.h"

namespace orvane::app {
namespace {

LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                           DWORD_PTR) {
  switch (message) {
    case WM_PAINT: {
      // A panel: raised one-pixel bevel, its text centred both ways.
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      RECT rect;
      GetClientRect(hwnd, &rect);
      FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
      DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_RECT);
      const std::string text = WindowText(hwnd);
      HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0)));
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      DrawTextA(dc, text.c_str(), -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      SelectObject(dc, old);
      EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_SETTEXT: {
      const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return result;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, PanelProc, id);
      break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

TForm3::TForm3(TApplication& application)
    : application_(application), okGlyph_(OkGlyphPicture()), okIcon_(MakeIcon(okGlyph_)) {
  HWND owner = application_.MainForm() ? application_.MainForm()->Handle() : nullptr;
  // A tool window without a system menu: its title bar has no close box.
  if (!CreateTopLevel(kForm3Caption, WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS, WS_EX_TOOLWINDOW, 192,
                      107, 191, 165, owner, nullptr)) {
    throw std::runtime_error("Unable to create the testing window");
  }
  Panel1 = CreateControl("STATIC", "", WS_VISIBLE | SS_NOPREFIX, 0, Handle(), ids::kForm3Panel1,
                         {3, 0, 185, 24});
  SendMessageA(Panel1, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont(false, 13)), FALSE);
  SetWindowSubclass(Panel1, PanelProc, 1, 0);
  ui::menu::MarkAsPanel(Panel1);

  RichEdit1 =
      CreateControl(RICHEDIT_CLASSA, "", WS_VISIBLE | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                    WS_EX_CLIENTEDGE, Handle(), ids::kForm3RichEdit1, {3, 24, 185, 89});
  // The rich-text box keeps its own character format; the font is given to it in that form.
  CHARFORMAT2A format{};
  format.cbSize = sizeof format;
  format.dwMask = CFM_BOLD | CFM_FACE | CFM_SIZE;
  format.dwEffects = CFE_BOLD;
  format.yHeight = 11 * 1440 / 96;  // 11 pixels, in twips
  lstrcpynA(format.szFaceName, "MS Sans Serif", LF_FACESIZE);
  SendMessageA(RichEdit1, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
  SendMessageA(RichEdit1, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  SetText("\r\n\r\n");  // three empty lines

  ProgressBar1.Attach(CreateControl(PROGRESS_CLASSA, "", PBS_SMOOTH, 0, Handle(),
                                    ids::kForm3ProgressBar1, {3, 114, 185, 16}));
  SendMessageA(ProgressBar1.Handle(), PBM_SETRANGE32, 0, 100);
  SendMessageA(ProgressBar1.Handle(), PBM_SETSTEP, 1, 0);

  BitBtn1 = CreateGlyphButton(Handle(), ids::kForm3BitBtn1, "OK", {58, 136, 75, 25}, true,
                              okIcon_.get());
}

TForm3::~TForm3() { DestroyHandle(); }

std::string TForm3::PanelText() const { return WindowText(Panel1); }

void TForm3::SetPanelText(const std::string& text) { SetWindowTextA(Panel1, text.c_str()); }

std::string TForm3::Text() const { return WindowText(RichEdit1); }

void TForm3::SetText(const std::string& text) { SetWindowTextA(RichEdit1, text.c_str()); }

void TForm3::AppendText(const std::string& text) {
  const int end = GetWindowTextLengthA(RichEdit1);
  SendMessageA(RichEdit1, EM_SETSEL, static_cast<WPARAM>(end), end);
  SendMessageA(RichEdit1, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

bool TForm3::OkButtonVisible() const {
  return (GetWindowLongPtrA(BitBtn1, GWL_STYLE) & WS_VISIBLE) != 0;
}

void TForm3::SetOkButtonVisible(bool visible) {
  ShowWindow(BitBtn1, visible ? SW_SHOWNA : SW_HIDE);
}

bool TForm3::ProgressBarVisible() const {
  return (GetWindowLongPtrA(ProgressBar1.Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
}

void TForm3::SetProgressBarVisible(bool visible) {
  ShowWindow(ProgressBar1.Handle(), visible ? SW_SHOWNA : SW_HIDE);
}

void TForm3::Close() { Hide(); }

bool TForm3::OnCommand(int id, int code, HWND) {
  // Enter (IDOK from the keyboard navigation) presses the default button, when it is there.
  if ((id == ids::kForm3BitBtn1 && code == BN_CLICKED) || (id == IDOK && OkButtonVisible())) {
    BitBtn1Click();
    return true;
  }
  return false;
}

bool TForm3::OnDrawItem(DRAWITEMSTRUCT& item) {
  if (item.CtlID != static_cast<UINT>(ids::kForm3BitBtn1)) return false;
  DrawGlyphButton(item, okGlyph_, true);
  return true;
}

void TForm3::OnActivate(bool active) {
  if (active) FormActivate();
}

bool TForm3::OnClose() {
  // The system's close (Alt+F4) counts as OK, and only when OK is offered: closing otherwise
  // would leave the main window disabled with nothing to enable it.
  if (OkButtonVisible()) BitBtn1Click();
  return true;
}

}  // namespace orvane::app
