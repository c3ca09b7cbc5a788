// Recording stand-ins for the main window's views (app/window_interfaces.h), for tests of the
// portable logic: they keep what the logic set and what it asked for, and a test can hook a
// message box or a message-pump run to act at that moment.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/window_interfaces.h"

namespace orvane::test_support {

class FakeComboBox : public app::ComboBoxView {
 public:
  FakeComboBox() = default;
  FakeComboBox(std::vector<std::string> items, int index) : items_(std::move(items)) {
    SetItemIndex(index);
  }
  int ItemCount() const override { return static_cast<int>(items_.size()); }
  std::string Item(int index) const override;
  void AddItem(const std::string& text) override { items_.push_back(text); }
  std::string Text() const override { return text_; }
  void SetItemIndex(int index) override;
  int ItemIndex() const override { return index_; }
  // Text typed by the user: no entry selected.
  void SetText(const std::string& text) {
    index_ = -1;
    text_ = text;
  }
  void SetItems(std::vector<std::string> items, int index = 0) {
    items_ = std::move(items);
    SetItemIndex(index);
  }

 private:
  std::vector<std::string> items_;
  int index_ = -1;
  std::string text_;
};

class FakeCheckBox : public app::CheckBoxView {
 public:
  bool Checked() const override { return checked_; }
  void SetChecked(bool checked) override { checked_ = checked; }

 private:
  bool checked_ = false;
};

class FakeRadioGroup : public app::RadioGroupView {
 public:
  int ItemIndex() const override { return index_; }
  void SetItemIndex(int index) override { index_ = index; }

 private:
  int index_ = 0;
};

class FakeStatusBar : public app::StatusBarView {
 public:
  std::string PanelText(int panel) const override;
  void SetPanelText(int panel, const std::string& text) override;
  void Repaint() override { ++repaints; }

  std::array<std::string, 5> panels;
  std::vector<std::pair<int, std::string>> history;  // every SetPanelText in order
  int repaints = 0;
};

class FakeProgressBar : public app::ProgressBarView {
 public:
  void SetMin(int value) override { min_ = value; }
  void SetMax(int value) override { max_ = value; }
  void SetPosition(int value) override { position_ = value; }
  int Min() const override { return min_; }
  int Max() const override { return max_; }
  int Position() const override { return position_; }
  void StepIt() override {
    if (position_ < max_) ++position_;
    ++steps;
  }
  int steps = 0;

 private:
  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
};

class FakeWindow : public app::WindowView {
 public:
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  bool Enabled() const override { return enabled_; }
  void Repaint() override { ++repaints; }
  int repaints = 0;

 private:
  bool enabled_ = true;
};

class RecordingErrors : public app::ErrorReporter {
 public:
  void ShowError(const std::string& text) override {
    messages.push_back(text);
    if (onShow) onShow(text);
  }
  int Count(const std::string& text) const;
  std::vector<std::string> messages;
  std::function<void(const std::string&)> onShow;
};

class RecordingPump : public app::MessagePump {
 public:
  void ProcessMessages() override {
    ++runs;
    if (onRun) onRun();
  }
  int runs = 0;
  std::function<void()> onRun;
};

// Waits that only add up, for logic tests that need no clock.
class CountingWaiter : public app::Waiter {
 public:
  void Wait(int milliseconds) override { waits.push_back(milliseconds); }
  std::vector<int> waits;
};

}  // namespace orvane::test_support
