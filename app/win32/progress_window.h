// The progress window TForm2 ("Downloading Information"): created hidden at start-up and kept
// until the end; a download run shows it, and closing only hides it.
#pragma once

#include <windows.h>

#include <string>

#include "app/icons.h"
#include "app/win32/one_button_window.h"
#include "app/win32/win32_controls.h"
#include "app/win32/win32_window.h"
#include "ui/views/progress_window_events.h"
#include "ui/views/views.h"

namespace orvane::app {

class TApplication;

inline constexpr const char* kForm2Caption = "Downloading Information";

class TForm2 : public OneButtonWindow, public ui::ProgressWindowView {
 public:
  explicit TForm2(TApplication& application);
  ~TForm2() override;

  Win32ProgressBar pbDownload;
  HWND Label1 = nullptr;

  // ---- ui::ProgressWindowView ----
  std::string LabelText() const override;
  // Sets the bold label's text; the label grows or shrinks to fit it.
  void SetLabelText(const std::string& text) override;
  bool CloseButtonVisible() const override;
  void SetCloseButtonVisible(bool visible) override;
  ui::ProgressBarView& ProgressBar() override { return pbDownload; }
  // Shows and activates the window, which runs FormActivate.
  void Show() override { Window::Show(); }
  // Closes the window the way its caller or its button does: FormClose, then hidden.
  void Close() override;
  void Repaint() override;
  bool Visible() const override { return Window::Visible(); }

  // ---- event handlers ----
  void FormActivate() override;  // each time the window becomes active
  void FormClose();              // when the window is closed
  void BitBtn1Click() override;  // the Close button

 private:
  TApplication& application_;
  ui::ProgressWindowEvents events_;
};

}  // namespace orvane::app
