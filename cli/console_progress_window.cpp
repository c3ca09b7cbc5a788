#include "cli/console_progress_window.h"

#include <algorithm>
#include <ostream>

namespace orvane::cli {

void ConsoleProgressBarView::RangeChanged() { window_.Update(); }

void ConsoleProgressBarView::PositionChanged() { window_.Update(); }

ConsoleProgressWindow::ConsoleProgressWindow(ui::WindowView& form1, std::ostream& out, bool draw)
    : out_(out), draw_(draw), events_(*this, form1) {}

ConsoleProgressWindow::~ConsoleProgressWindow() {
  if (!drawn_.empty()) out_ << "\n" << std::flush;
}

void ConsoleProgressWindow::SetLabelText(const std::string& text) {
  label_ = text;
  Update();
}

void ConsoleProgressWindow::Show() {
  if (visible_) return;
  visible_ = true;
  events_.FormActivate();
  Update();
}

void ConsoleProgressWindow::Close() {
  events_.FormClose();
  visible_ = false;
  if (!drawn_.empty()) out_ << "\n" << std::flush;
  drawn_.clear();
}

void ConsoleProgressWindow::Repaint() { Update(); }

std::string ConsoleProgressWindow::Line(const std::string& label, int min, int max, int position) {
  const long long range = std::max(0LL, static_cast<long long>(max) - min);
  const long long done =
      range == 0 ? 0 : std::clamp(static_cast<long long>(position) - min, 0LL, range);
  const int cells = range == 0 ? 0 : static_cast<int>(done * kBarWidth / range);
  const int percent = range == 0 ? 0 : static_cast<int>(done * 100 / range);
  std::string line = label;
  line += " [";
  line.append(static_cast<std::size_t>(cells), '#');
  line.append(static_cast<std::size_t>(kBarWidth - cells), ' ');
  line += "] ";
  line += std::to_string(percent);
  line += "%";
  return line;
}

void ConsoleProgressWindow::Update() {
  if (!draw_ || !visible_) return;
  const std::string line = Line(label_, bar_.Min(), bar_.Max(), bar_.Position());
  if (line == drawn_) return;
  // Padded over the last line, in case the new one is shorter.
  std::string padded = line;
  if (drawn_.size() > padded.size()) padded.append(drawn_.size() - padded.size(), ' ');
  out_ << "\r" << padded << std::flush;
  drawn_ = line;
}

}  // namespace orvane::cli
