// The progress window kept in memory: label, Close button, bar and visibility, running the real
// activation and close handlers as the Windows window does. For runs without a window (the
// benchmark) and as the base of the tests' recording stand-in.
#pragma once

#include <string>

#include "ui/views/memory_views.h"
#include "ui/views/progress_window_events.h"
#include "ui/views/views.h"

namespace orvane::ui {

class MemoryProgressWindow : public ProgressWindowView {
 public:
  // `form1` is the main window that the window disables while shown.
  explicit MemoryProgressWindow(WindowView& form1) : events(*this, form1) {}

  std::string LabelText() const override { return label_; }
  void SetLabelText(const std::string& text) override { label_ = text; }
  bool CloseButtonVisible() const override { return buttonVisible_; }
  void SetCloseButtonVisible(bool visible) override { buttonVisible_ = visible; }
  ProgressBarView& ProgressBar() override { return bar_; }
  // Showing a hidden window activates it; showing it again while it is up does not.
  void Show() override {
    if (visible_) return;
    visible_ = true;
    events.FormActivate();
  }
  void Close() override {
    events.FormClose();
    visible_ = false;
  }
  void Repaint() override {}
  bool Visible() const override { return visible_; }

  ProgressWindowEvents events;

 private:
  MemoryProgressBar bar_;
  std::string label_ = kProgressDesignedLabel;
  bool buttonVisible_ = true;
  bool visible_ = false;
};

}  // namespace orvane::ui
