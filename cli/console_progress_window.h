// The progress window of the command-line tool: the same handlers as the window's (the main
// window stand-in is disabled while it is up), and, when standard error is a terminal, one line
// there with the label and a bar that fills as the bytes go out. Nothing is drawn otherwise, so
// scripts that read standard error see only messages.
#pragma once

#include <iosfwd>
#include <string>

#include "ui/views/progress_bar_model.h"
#include "ui/views/progress_window_events.h"
#include "ui/views/views.h"

namespace orvane::cli {

class ConsoleProgressWindow;

// The bar; it redraws its window's line when what it shows changes.
class ConsoleProgressBarView final : public ui::ProgressBarModel {
 public:
  explicit ConsoleProgressBarView(ConsoleProgressWindow& window) : window_(window) {}

 private:
  void RangeChanged() override;
  void PositionChanged() override;

  ConsoleProgressWindow& window_;
};

class ConsoleProgressWindow final : public ui::ProgressWindowView {
 public:
  // `out` receives the line when `draw` is set (standard error on a terminal).
  ConsoleProgressWindow(ui::WindowView& form1, std::ostream& out, bool draw);
  ~ConsoleProgressWindow() override;
  ConsoleProgressWindow(const ConsoleProgressWindow&) = delete;
  ConsoleProgressWindow& operator=(const ConsoleProgressWindow&) = delete;

  std::string LabelText() const override { return label_; }
  void SetLabelText(const std::string& text) override;
  bool CloseButtonVisible() const override { return closeButton_; }
  void SetCloseButtonVisible(bool visible) override { closeButton_ = visible; }
  ui::ProgressBarView& ProgressBar() override { return bar_; }
  void Show() override;
  // Ends the line on the terminal, so later output starts on a fresh one.
  void Close() override;
  void Repaint() override;
  bool Visible() const override { return visible_; }

  // The line as drawn: label, bar of `kBarWidth` cells, percentage.
  static std::string Line(const std::string& label, int min, int max, int position);
  static constexpr int kBarWidth = 40;

 private:
  friend class ConsoleProgressBarView;
  // Draws the line again if what it shows has changed.
  void Update();

  std::ostream& out_;
  bool draw_;
  ConsoleProgressBarView bar_{*this};
  ui::ProgressWindowEvents events_;
  std::string label_;
  bool closeButton_ = false;
  bool visible_ = false;
  std::string drawn_;  // the line on the terminal now; empty when none
};

}  // namespace orvane::cli
