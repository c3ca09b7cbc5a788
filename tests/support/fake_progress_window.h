// A recording stand-in for the progress window: it keeps its label, button and visibility, runs
// the real activation and close handlers (download/progress_window_events.h) as the Windows
// window does, and counts repaints.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/window_interfaces.h"
#include "download/progress_window_events.h"
#include "support/fake_window.h"

namespace orvane::test_support {

// The bar, with a hook that runs just before each step.
class SteppingProgressBar : public FakeProgressBar {
 public:
  void StepIt() override {
    if (onStep) onStep();
    FakeProgressBar::StepIt();
  }
  std::function<void()> onStep;
};

class FakeProgressWindow : public app::ProgressWindowView {
 public:
  // `form1` is the main window that the window disables while shown.
  explicit FakeProgressWindow(app::WindowView& form1) : events(*this, form1) {}

  std::string LabelText() const override { return label_; }
  void SetLabelText(const std::string& text) override;
  bool CloseButtonVisible() const override { return buttonVisible_; }
  void SetCloseButtonVisible(bool visible) override { buttonVisible_ = visible; }
  app::ProgressBarView& ProgressBar() override { return pbDownload; }
  // Showing a hidden window activates it; showing it again while it is up does not.
  void Show() override;
  void Close() override;
  void Repaint() override { ++repaints; }
  bool Visible() const override { return visible_; }

  SteppingProgressBar pbDownload;
  download::ProgressWindowEvents events;
  std::vector<std::string> labelHistory;  // every text the label was given, in order
  int shows = 0;
  int closes = 0;
  int repaints = 0;

 private:
  std::string label_ = "Downloading.......... Please wait";
  bool buttonVisible_ = true;
  bool visible_ = false;
};

}  // namespace orvane::test_support
