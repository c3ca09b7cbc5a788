// The testing window ("Orvane Testing Information") as the board tests see it: the title panel,
// the read-only text area, a progress bar that stays hidden unless an exchange with a running
// test program shows it, and the OK button. The Windows TForm3, the command-line tool's console
// window and the tests' in-memory window implement it.
#pragma once

#include <string>

#include "ui/views/views.h"

namespace orvane::ui {

class TestingWindowView {
 public:
  virtual ~TestingWindowView() = default;

  // Panel1: the title of the running test.
  virtual std::string PanelText() const = 0;
  virtual void SetPanelText(const std::string& text) = 0;
  // RichEdit1: lines end in CR LF.
  virtual std::string Text() const = 0;
  virtual void SetText(const std::string& text) = 0;
  virtual void AppendText(const std::string& text) { SetText(Text() + text); }
  // BitBtn1.
  virtual bool OkButtonVisible() const = 0;
  virtual void SetOkButtonVisible(bool visible) = 0;
  // ProgressBar1.
  virtual ProgressBarView& ProgressBar() = 0;
  virtual bool ProgressBarVisible() const = 0;
  virtual void SetProgressBarVisible(bool visible) = 0;

  // Shows the window (not modal) and makes it the active window, which runs its FormActivate.
  virtual void Show() = 0;
  // Hides it; the window is never destroyed.
  virtual void Close() = 0;
  virtual bool Visible() const = 0;
  // Repaint the whole window, or only the text area, at once, without the message loop.
  virtual void Repaint() = 0;
  virtual void RepaintText() = 0;
  // Gives the keyboard focus to the title panel.
  virtual void FocusPanel() = 0;
};

}  // namespace orvane::ui
