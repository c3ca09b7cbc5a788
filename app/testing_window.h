// The testing window TForm3 ("Orvane Testing Information"): created hidden at start-up and kept
// until the end; the self-test and the test programs show their title and results in it.
#pragma once

#include <windows.h>

#include <string>

#include "app/icons.h"
#include "app/one_button_window.h"
#include "app/win32_controls.h"
#include "app/win32_window.h"

namespace orvane::app {

class TApplication;

inline constexpr const char* kForm3Caption = "Orvane Testing Information";

class TForm3 : public OneButtonWindow {
 public:
  explicit TForm3(TApplication& application);
  ~TForm3() override;

  HWND Panel1 = nullptr;          // title of the running test
  HWND RichEdit1 = nullptr;       // description, results and messages
  Win32ProgressBar ProgressBar1;  // progress of the serial and memory exchanges

  std::string PanelText() const;
  void SetPanelText(const std::string& text);
  std::string Text() const;  // of RichEdit1
  void SetText(const std::string& text);
  void AppendText(const std::string& text);
  bool OkButtonVisible() const;
  void SetOkButtonVisible(bool visible);
  bool ProgressBarVisible() const;
  void SetProgressBarVisible(bool visible);

  // Hides the window (it is never destroyed before the end).
  void Close();

  // ---- event handlers ----
  void FormActivate() override;  // each time the window becomes active
  void BitBtn1Click() override;  // the OK button (and the Enter key)

 private:
  TApplication& application_;
};

}  // namespace orvane::app
