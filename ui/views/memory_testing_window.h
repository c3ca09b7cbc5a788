// The testing window kept in memory: title, text, OK button, bar and visibility, running the real
// activation and OK handlers as the Windows window does. The command-line tool prints what it
// holds; the tests read it.
#pragma once

#include <string>

#include "ui/views/memory_views.h"
#include "ui/views/testing_window_events.h"
#include "ui/views/testing_window_view.h"

namespace orvane::boardtest {

class MemoryTestingWindow : public ui::TestingWindowView {
 public:
  // `form1` is the main window that the window disables while shown.
  explicit MemoryTestingWindow(ui::WindowView& form1) : events(*this, form1) {}

  std::string PanelText() const override { return panel_; }
  void SetPanelText(const std::string& text) override { panel_ = text; }
  std::string Text() const override { return text_; }
  void SetText(const std::string& text) override { text_ = text; }
  bool OkButtonVisible() const override { return okVisible_; }
  void SetOkButtonVisible(bool visible) override { okVisible_ = visible; }
  ui::ProgressBarView& ProgressBar() override { return bar_; }
  bool ProgressBarVisible() const override { return barVisible_; }
  void SetProgressBarVisible(bool visible) override { barVisible_ = visible; }
  // Showing a hidden window activates it; showing it again while it is up does not.
  void Show() override {
    if (visible_) return;
    visible_ = true;
    events.FormActivate();
  }
  void Close() override { visible_ = false; }
  bool Visible() const override { return visible_; }
  void Repaint() override {}
  void RepaintText() override {}
  void FocusPanel() override {}

  TestingWindowEvents events;

 private:
  ui::MemoryProgressBar bar_;
  std::string panel_;
  std::string text_ = "\r\n\r\n";  // three empty lines, as designed
  bool okVisible_ = true;
  bool barVisible_ = false;
  bool visible_ = false;
};

}  // namespace orvane::boardtest
