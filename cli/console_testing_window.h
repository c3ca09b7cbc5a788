// The testing window of the command-line tool: the in-memory window (the main window stand-in is
// disabled while it is up), whose exchange bar is drawn as one line on standard error when that
// is a terminal, and which prints what it shows when the test is over.
#pragma once

#include <iosfwd>
#include <string>

#include "ui/views/memory_testing_window.h"
#include "ui/views/progress_bar_model.h"

namespace orvane::cli {

class ConsoleTestingWindow;

// The bar; it redraws its window's line when what it shows changes.
class ConsoleTestingBar final : public ui::ProgressBarModel {
 public:
  explicit ConsoleTestingBar(ConsoleTestingWindow& window) : window_(window) {}

 private:
  void RangeChanged() override;
  void PositionChanged() override;

  ConsoleTestingWindow& window_;
};

class ConsoleTestingWindow final : public boardtest::MemoryTestingWindow {
 public:
  // `out` receives the bar's line when `draw` is set (standard error on a terminal).
  ConsoleTestingWindow(ui::WindowView& form1, std::ostream& out, bool draw);
  ~ConsoleTestingWindow() override;
  ConsoleTestingWindow(const ConsoleTestingWindow&) = delete;
  ConsoleTestingWindow& operator=(const ConsoleTestingWindow&) = delete;

  ui::ProgressBarView& ProgressBar() override { return bar_; }
  void SetProgressBarVisible(bool visible) override;
  void SetText(const std::string& text) override;

  // The title, then the text one line for each CR LF, on `out`.
  void Print(std::ostream& out) const;

 private:
  friend class ConsoleTestingBar;
  void Update();
  void EndLine();

  std::ostream& out_;
  bool draw_;
  ConsoleTestingBar bar_{*this};
  std::string drawn_;  // the line on the terminal now; empty when none
};

}  // namespace orvane::cli
