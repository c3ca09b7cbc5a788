// The main window's views kept in memory: the state a real control would hold, without a window.
// The command-line tool shows its board commands through them, and the tests' recording fakes
// build on them.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "ui/views/main_window_controls.h"
#include "ui/views/progress_bar_model.h"
#include "ui/views/views.h"

namespace orvane::ui {

class MemoryComboBox : public ComboBoxView {
 public:
  MemoryComboBox() = default;
  MemoryComboBox(std::vector<std::string> items, int index) { SetItems(std::move(items), index); }

  int ItemCount() const override { return static_cast<int>(items_.size()); }
  std::string Item(int index) const override;
  void AddItem(const std::string& text) override { items_.push_back(text); }
  std::string Text() const override { return text_; }
  void SetItemIndex(int index) override;  // out of range: none selected, empty text
  int ItemIndex() const override { return index_; }

  // Replaces the entries and selects one (-1: none).
  void SetItems(std::vector<std::string> items, int index = 0);
  // Text typed into the box: shown with no entry selected.
  void SetTypedText(const std::string& text);
  // Selects the first entry equal to the text, else shows it as typed.
  void SelectOrType(const std::string& text);

 private:
  std::vector<std::string> items_;
  int index_ = -1;
  std::string text_;
};

class MemoryCheckBox : public CheckBoxView {
 public:
  bool Checked() const override { return checked_; }
  void SetChecked(bool checked) override { checked_ = checked; }

 private:
  bool checked_ = false;
};

class MemoryRadioGroup : public RadioGroupView {
 public:
  int ItemIndex() const override { return index_; }
  void SetItemIndex(int index) override { index_ = index; }

 private:
  int index_ = 0;
};

class MemoryStatusBar : public StatusBarView {
 public:
  static constexpr int kPanels = kStatusPanelCount;
  std::string PanelText(int panel) const override;
  void SetPanelText(int panel, const std::string& text) override;
  void Repaint() override {}

  std::array<std::string, kPanels> panels;
};

// The bar without a control: the model alone.
using MemoryProgressBar = ProgressBarModel;

class MemoryWindow : public WindowView {
 public:
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  bool Enabled() const override { return enabled_; }
  void Repaint() override {}

 private:
  bool enabled_ = true;
};

}  // namespace orvane::ui
