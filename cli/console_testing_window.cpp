#include "cli/console_testing_window.h"

#include <ostream>

#include "cli/console_progress_window.h"
#include "testing/testing_texts.h"

namespace orvane::cli {

void ConsoleTestingBar::RangeChanged() { window_.Update(); }

void ConsoleTestingBar::PositionChanged() { window_.Update(); }

ConsoleTestingWindow::ConsoleTestingWindow(ui::WindowView& form1, std::ostream& out, bool draw)
    : MemoryTestingWindow(form1), out_(out), draw_(draw) {}

ConsoleTestingWindow::~ConsoleTestingWindow() { EndLine(); }

void ConsoleTestingWindow::SetProgressBarVisible(bool visible) {
  MemoryTestingWindow::SetProgressBarVisible(visible);
  if (visible) {
    Update();
  } else {
    EndLine();
  }
}

void ConsoleTestingWindow::SetText(const std::string& text) {
  MemoryTestingWindow::SetText(text);
  // The outcome is in: the bar's line is finished.
  EndLine();
}

void ConsoleTestingWindow::Print(std::ostream& out) const {
  std::string text = Text();
  const std::string lineBreak = boardtest::kLineBreak;
  for (std::size_t at = text.find(lineBreak); at != std::string::npos;
       at = text.find(lineBreak, at + 1)) {
    text.replace(at, lineBreak.size(), "\n");
  }
  out << PanelText() << "\n" << text;
  if (!text.empty() && text.back() != '\n') out << "\n";
  out << std::flush;
}

void ConsoleTestingWindow::Update() {
  if (!draw_ || !ProgressBarVisible()) return;
  const std::string line =
      ConsoleProgressWindow::Line(PanelText(), bar_.Min(), bar_.Max(), bar_.Position());
  if (line == drawn_) return;
  out_ << "\r" << line << std::flush;
  drawn_ = line;
}

void ConsoleTestingWindow::EndLine() {
  if (drawn_.empty()) return;
  out_ << "\n" << std::flush;
  drawn_.clear();
}

}  // namespace orvane::cli
