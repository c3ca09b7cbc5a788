// The progress window TForm2 ("Downloading Information"): created hidden at start-up and kept
// until the end; a download run shows it, and closing only hides it.
#pragma once

#include <windows.h>

#include <string>

#include "app/bitmaps.h"
#include "app/icons.h"
#include "app/win32_controls.h"
#include "app/win32_window.h"
#include "app/window_interfaces.h"
#include "download/progress_window_events.h"

namespace orvane::app {

class TApplication;

inline constexpr const char* kForm2Caption = "Downloading Information";
// The label's designed text; every activation replaces it.
inline constexpr const char* kForm2DesignedLabel = "Downloading.......... Please wait";

class TForm2 : public Window, public ProgressWindowView {
 public:
  explicit TForm2(TApplication& application);
  ~TForm2() override;

  Win32ProgressBar pbDownload;
  HWND Label1 = nullptr;
  HWND BitBtn1 = nullptr;

  // ---- ProgressWindowView ----
  std::string LabelText() const override;
  // Sets the bold label's text; the label grows or shrinks to fit it.
  void SetLabelText(const std::string& text) override;
  bool CloseButtonVisible() const override;
  void SetCloseButtonVisible(bool visible) override;
  ProgressBarView& ProgressBar() override { return pbDownload; }
  // Shows and activates the window, which runs FormActivate.
  void Show() override { Window::Show(); }
  // Closes the window the way its caller or its button does: FormClose, then hidden.
  void Close() override;
  void Repaint() override;
  bool Visible() const override { return Window::Visible(); }

  // ---- event handlers ----
  void FormActivate();  // each time the window becomes active
  void FormClose();     // when the window is closed
  void BitBtn1Click();  // the Close button

 protected:
  bool OnCommand(int id, int code, HWND control) override;
  bool OnDrawItem(DRAWITEMSTRUCT& item) override;
  void OnActivate(bool active) override;
  bool OnClose() override;

 private:
  TApplication& application_;
  Picture closeGlyph_;
  // The glyph as the button carries it, for painters that draw the button anew.
  UniqueIcon closeIcon_;
  download::ProgressWindowEvents events_;
};

}  // namespace orvane::app
