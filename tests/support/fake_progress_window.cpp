#include "support/fake_progress_window.h"

namespace orvane::test_support {

void FakeProgressWindow::SetLabelText(const std::string& text) {
  label_ = text;
  labelHistory.push_back(text);
}

void FakeProgressWindow::Show() {
  ++shows;
  if (visible_) return;
  visible_ = true;
  events.FormActivate();
}

void FakeProgressWindow::Close() {
  ++closes;
  events.FormClose();
  visible_ = false;
}

}  // namespace orvane::test_support
