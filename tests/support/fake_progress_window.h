// A recording stand-in for the progress window: the in-memory window (label, button, visibility,
// the real activation and close handlers) that also keeps every label text, counts shows,
// closes and repaints, and lets a test act just before each step of the bar.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "support/fake_window.h"
#include "ui/views/memory_progress_window.h"

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

class FakeProgressWindow : public ui::MemoryProgressWindow {
 public:
  using MemoryProgressWindow::MemoryProgressWindow;

  void SetLabelText(const std::string& text) override {
    MemoryProgressWindow::SetLabelText(text);
    labelHistory.push_back(text);
  }
  ui::ProgressBarView& ProgressBar() override { return pbDownload; }
  void Show() override {
    ++shows;
    MemoryProgressWindow::Show();
  }
  void Close() override {
    ++closes;
    MemoryProgressWindow::Close();
  }
  void Repaint() override { ++repaints; }

  SteppingProgressBar pbDownload;
  std::vector<std::string> labelHistory;  // every text the label was given, in order
  int shows = 0;
  int closes = 0;
  int repaints = 0;
};

}  // namespace orvane::test_support
