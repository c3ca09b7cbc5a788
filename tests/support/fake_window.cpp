#include "support/fake_window.h"

#include <algorithm>

namespace orvane::test_support {

std::string FakeComboBox::Item(int index) const {
  if (index < 0 || index >= ItemCount()) return {};
  return items_[static_cast<std::size_t>(index)];
}

void FakeComboBox::SetItemIndex(int index) {
  if (index < 0 || index >= ItemCount()) {
    index_ = -1;
    text_.clear();
    return;
  }
  index_ = index;
  text_ = items_[static_cast<std::size_t>(index)];
}

std::string FakeStatusBar::PanelText(int panel) const {
  if (panel < 0 || panel >= static_cast<int>(panels.size())) return {};
  return panels[static_cast<std::size_t>(panel)];
}

void FakeStatusBar::SetPanelText(int panel, const std::string& text) {
  history.emplace_back(panel, text);
  if (panel >= 0 && panel < static_cast<int>(panels.size())) {
    panels[static_cast<std::size_t>(panel)] = text;
  }
}

int RecordingErrors::Count(const std::string& text) const {
  return static_cast<int>(std::count(messages.begin(), messages.end(), text));
}

}  // namespace orvane::test_support
