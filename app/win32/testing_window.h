// The testing window TForm3 ("Orvane Testing Information"): created hidden at start-up and kept
// until the end; the self-test and the test programs show their title and results in it.
#pragma once

#include <windows.h>

#include <string>

#include "app/icons.h"
#include "app/win32/one_button_window.h"
#include "app/win32/win32_controls.h"
#include "app/win32/win32_window.h"
#include "ui/views/testing_window_events.h"
#include "ui/views/testing_window_view.h"

namespace orvane::app {

class TApplication;

inline constexpr const char* kForm3Caption = "Orvane Testing Information";

class TForm3 : public OneButtonWindow, public ui::TestingWindowView {
 public:
  explicit TForm3(TApplication& application);
  ~TForm3() override;

  HWND Panel1 = nullptr;          // title of the running test
  HWND RichEdit1 = nullptr;       // description, results and messages
  Win32ProgressBar ProgressBar1;  // progress of the serial and memory exchanges

  // ---- ui::TestingWindowView ----
  std::string PanelText() const override;
  void SetPanelText(const std::string& text) override;
  std::string Text() const override;  // of RichEdit1
  void SetText(const std::string& text) override;
  void AppendText(const std::string& text) override;
  bool OkButtonVisible() const override;
  void SetOkButtonVisible(bool visible) override;
  ui::ProgressBarView& ProgressBar() override { return ProgressBar1; }
  bool ProgressBarVisible() const override;
  void SetProgressBarVisible(bool visible) override;
  // Shows and activates the window, which runs FormActivate.
  void Show() override { Window::Show(); }
  // Hides the window (it is never destroyed before the end).
  void Close() override;
  bool Visible() const override { return Window::Visible(); }
  void Repaint() override;
  void RepaintText() override;
  void FocusPanel() override;

  // ---- event handlers ----
  void FormActivate() override;  // each time the window becomes active
  void BitBtn1Click() override;  // the OK button (and the Enter key)

 private:
  TApplication& application_;
  boardtest::TestingWindowEvents events_;
};

}  // namespace orvane::app
