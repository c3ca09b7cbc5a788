#include "ui/views/memory_views.h"

namespace orvane::ui {

std::string MemoryComboBox::Item(int index) const {
  if (index < 0 || index >= ItemCount()) return {};
  return items_[static_cast<std::size_t>(index)];
}

void MemoryComboBox::SetItemIndex(int index) {
  if (index < 0 || index >= ItemCount()) {
    index_ = -1;
    text_.clear();
    return;
  }
  index_ = index;
  text_ = items_[static_cast<std::size_t>(index)];
}

void MemoryComboBox::SetItems(std::vector<std::string> items, int index) {
  items_ = std::move(items);
  SetItemIndex(index);
}

void MemoryComboBox::SetTypedText(const std::string& text) {
  index_ = -1;
  text_ = text;
}

void MemoryComboBox::SelectOrType(const std::string& text) {
  for (int i = 0; i < ItemCount(); ++i) {
    if (items_[static_cast<std::size_t>(i)] == text) {
      SetItemIndex(i);
      return;
    }
  }
  SetTypedText(text);
}

std::string MemoryStatusBar::PanelText(int panel) const {
  if (panel < 0 || panel >= kPanels) return {};
  return panels[static_cast<std::size_t>(panel)];
}

void MemoryStatusBar::SetPanelText(int panel, const std::string& text) {
  if (panel >= 0 && panel < kPanels) panels[static_cast<std::size_t>(panel)] = text;
}

}  // namespace orvane::ui
