// Recording stand-ins for the main window's views (ui/views/views.h), for tests of the
// portable logic: they keep what the logic set and what it asked for, and a test can hook a
// message box or a message-pump run to act at that moment.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ui/views/memory_views.h"
#include "ui/views/message_pump.h"
#include "ui/views/views.h"

namespace orvane::test_support {

class FakeComboBox : public ui::MemoryComboBox {
 public:
  using MemoryComboBox::MemoryComboBox;
  // Text typed by the user: no entry selected.
  void SetText(const std::string& text) { SetTypedText(text); }
};

using FakeCheckBox = ui::MemoryCheckBox;
using FakeRadioGroup = ui::MemoryRadioGroup;

class FakeStatusBar : public ui::MemoryStatusBar {
 public:
  void SetPanelText(int panel, const std::string& text) override {
    history.emplace_back(panel, text);
    MemoryStatusBar::SetPanelText(panel, text);
  }
  void Repaint() override { ++repaints; }

  std::vector<std::pair<int, std::string>> history;  // every SetPanelText in order
  int repaints = 0;
};

class FakeProgressBar : public ui::MemoryProgressBar {
 public:
  void StepIt() override {
    ui::ProgressBarModel::StepIt();
    ++steps;
  }
  int steps = 0;
};

class FakeWindow : public ui::MemoryWindow {
 public:
  void Repaint() override { ++repaints; }
  int repaints = 0;
};

class RecordingErrors : public ui::ErrorReporter {
 public:
  void ShowError(const std::string& text) override {
    messages.push_back(text);
    if (onShow) onShow(text);
  }
  int Count(const std::string& text) const;
  std::vector<std::string> messages;
  std::function<void(const std::string&)> onShow;
};

class RecordingPump : public ui::MessagePump {
 public:
  void ProcessMessages() override {
    ++runs;
    if (onRun) onRun();
  }
  bool EndRequested() const override { return endRequested; }
  int runs = 0;
  std::function<void()> onRun;
  bool endRequested = false;  // Exit chosen
};

// Waits that only add up, for logic tests that need no clock.
class CountingWaiter : public ui::Waiter {
 public:
  void Wait(int milliseconds) override { waits.push_back(milliseconds); }
  std::vector<int> waits;
};

}  // namespace orvane::test_support
