#include <windows.h>
// The common controls' header needs the definitions above.
#include <commctrl.h>
#include <richedit.h>

#include <stdexcept>

#include "app/win32/application.h"
#include "app/win32/control_ids.h"
#include "app/win32/main_window.h"
#include "app/win32/testing_window.h"
#include "app/win32/win32_handles.h"
#include "ui/menu/tags_win32.h"

namespace orvane::app {
namespace {

LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                           DWORD_PTR) {
  switch (message) {
    case WM_PAINT: {
      // A panel: raised one-pixel bevel, its text centred both ways.
      const PaintDC paint(hwnd);
      HDC dc = paint.get();
      RECT rect;
      GetClientRect(hwnd, &rect);
      FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
      DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_RECT);
      const std::string text = WindowText(hwnd);
      const SelectedFont font(dc, reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0)));
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      DrawTextA(dc, text.c_str(), -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
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

TForm1& MainFormOf(TApplication& application) {
  if (!application.MainForm()) throw std::logic_error("The main window comes first");
  return *application.MainForm();
}

}  // namespace

TForm3::TForm3(TApplication& application)
    : OneButtonWindow(ids::kForm3BitBtn1, OkGlyphPicture(), /*defaultButton=*/true),
      application_(application),
      events_(*this, MainFormOf(application)) {
  HWND owner = MainFormOf(application_).Handle();
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

  CreateButton("OK", {58, 136, 75, 25}, /*visible=*/true);
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

bool TForm3::OkButtonVisible() const { return ButtonVisible(); }

void TForm3::SetOkButtonVisible(bool visible) { SetButtonVisible(visible); }

bool TForm3::ProgressBarVisible() const {
  return (GetWindowLongPtrA(ProgressBar1.Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
}

void TForm3::SetProgressBarVisible(bool visible) {
  ShowWindow(ProgressBar1.Handle(), visible ? SW_SHOWNA : SW_HIDE);
}

void TForm3::Close() { Hide(); }

void TForm3::Repaint() { RepaintNow(Handle()); }

void TForm3::RepaintText() { RepaintNow(RichEdit1); }

void TForm3::FocusPanel() { SetFocus(Panel1); }

}  // namespace orvane::app
