#include <windows.h>
// The common controls' header needs the definitions above.
#include <commctrl.h>

#include <stdexcept>

#include "app/win32/application.h"
#include "app/win32/control_ids.h"
#include "app/win32/main_window.h"
#include "app/win32/progress_window.h"

namespace orvane::app {

namespace {

TForm1& MainFormOf(TApplication& application) {
  if (!application.MainForm()) throw std::logic_error("The main window comes first");
  return *application.MainForm();
}

}  // namespace

TForm2::TForm2(TApplication& application)
    : OneButtonWindow(ids::kForm2BitBtn1, CloseGlyphPicture(), /*defaultButton=*/false),
      application_(application),
      events_(*this, MainFormOf(application)) {
  HWND owner = MainFormOf(application_).Handle();
  // A tool window without a system menu: its title bar has no close box.
  if (!CreateTopLevel(kForm2Caption, WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS, WS_EX_TOOLWINDOW, 322,
                      241, 212, 87, owner, nullptr)) {
    throw std::runtime_error("Unable to create the progress window");
  }
  Label1 = CreateControl("STATIC", ui::kProgressDesignedLabel, WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                         0, Handle(), ids::kForm2Label1, {8, 10, 0, 0});
  SendMessageA(Label1, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont(true)), FALSE);
  FitLabelToText(Label1);
  pbDownload.Attach(CreateControl(PROGRESS_CLASSA, "", WS_VISIBLE | PBS_SMOOTH, 0, Handle(),
                                  ids::kForm2PbDownload, {5, 36, 202, 13}));
  SendMessageA(pbDownload.Handle(), PBM_SETRANGE32, 0, 100);
  SendMessageA(pbDownload.Handle(), PBM_SETSTEP, 1, 0);
  CreateButton("&Close", {74, 57, 65, 24}, /*visible=*/false);
}

TForm2::~TForm2() { DestroyHandle(); }

std::string TForm2::LabelText() const { return WindowText(Label1); }

void TForm2::SetLabelText(const std::string& text) {
  SetWindowTextA(Label1, text.c_str());
  FitLabelToText(Label1);
}

bool TForm2::CloseButtonVisible() const { return ButtonVisible(); }

void TForm2::SetCloseButtonVisible(bool visible) { SetButtonVisible(visible); }

void TForm2::Repaint() { RepaintNow(Handle()); }

void TForm2::Close() {
  FormClose();
  Hide();
}

}  // namespace orvane::app
