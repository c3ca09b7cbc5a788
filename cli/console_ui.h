// Console stand-ins for the main window's views (app/window_interfaces.h), so that the board
// commands of the command-line tool run the same portable logic as the window: combo boxes hold
// their entries and text, check boxes and radio groups their state, the status bar its panels in
// memory; message boxes become lines on standard error with the same text; waits are real.
#pragma once

#include <array>
#include <iosfwd>
#include <string>
#include <vector>

#include "app/window_interfaces.h"
#include "cli/cli_context.h"

namespace orvane::cli {

class ConsoleComboBox final : public app::ComboBoxView {
 public:
  int ItemCount() const override { return static_cast<int>(items_.size()); }
  std::string Item(int index) const override;
  void AddItem(const std::string& text) override { items_.push_back(text); }
  std::string Text() const override { return text_; }
  void SetItemIndex(int index) override;  // out of range: none selected, empty text
  int ItemIndex() const override { return index_; }

  // Replaces the entries and selects one (-1: none).
  void SetItems(std::vector<std::string> items, int index);
  // As if typed: selects the first entry equal to the text, else shows the text with none selected.
  void SetText(const std::string& text);

 private:
  std::vector<std::string> items_;
  int index_ = -1;
  std::string text_;
};

class ConsoleCheckBox final : public app::CheckBoxView {
 public:
  bool Checked() const override { return checked_; }
  void SetChecked(bool checked) override { checked_ = checked; }

 private:
  bool checked_ = false;
};

class ConsoleRadioGroup final : public app::RadioGroupView {
 public:
  int ItemIndex() const override { return index_; }
  void SetItemIndex(int index) override { index_ = index; }

 private:
  int index_ = 0;
};

class ConsoleStatusBar final : public app::StatusBarView {
 public:
  static constexpr int kPanels = 5;
  std::string PanelText(int panel) const override;
  void SetPanelText(int panel, const std::string& text) override;
  void Repaint() override {}

 private:
  std::array<std::string, kPanels> panels_;
};

class ConsoleProgressBar final : public app::ProgressBarView {
 public:
  void SetMin(int value) override { min_ = value; }
  void SetMax(int value) override { max_ = value; }
  void SetPosition(int value) override { position_ = value; }
  int Min() const override { return min_; }
  int Max() const override { return max_; }
  int Position() const override { return position_; }
  void StepIt() override {
    if (position_ < max_) ++position_;
  }

 private:
  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
};

class ConsoleWindow final : public app::WindowView {
 public:
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  bool Enabled() const override { return enabled_; }
  void Repaint() override {}

 private:
  bool enabled_ = true;
};

// The "Error" message box: its text and a line end on the given stream (standard error).
class ConsoleErrorReporter final : public app::ErrorReporter {
 public:
  explicit ConsoleErrorReporter(std::ostream& out);
  void ShowError(const std::string& text) override;

 private:
  std::ostream& out_;
};

// There is no window whose messages could wait.
class NoMessagePump final : public app::MessagePump {
 public:
  void ProcessMessages() override {}
};

class RealTimeWaiter final : public app::Waiter {
 public:
  void Wait(int milliseconds) override;
};

// The main window's option controls and status bar, as the console keeps them.
class ConsoleUi {
 public:
  // Rates as the window lists them ("57600" selected), no ports, nothing checked.
  explicit ConsoleUi(std::ostream& errorStream);
  ConsoleUi(const ConsoleUi&) = delete;
  ConsoleUi& operator=(const ConsoleUi&) = delete;

  // Fills the controls as the window would show them, then as the options choose: the ports in
  // the port list (first selected), --port and --baud typed over the choices, --usb checked.
  // --auto checks cbAutoDetect; running its click handler is left to the caller.
  void ApplyOptions(const GlobalOptions& options, const std::vector<std::string>& ports);

  app::MainWindowControls& Controls() { return controls_; }

  ConsoleComboBox cbCOMOption;
  ConsoleComboBox cbBaudrateOption;
  ConsoleCheckBox cbAutoDetect;
  ConsoleCheckBox cbUSBOption;
  ConsoleRadioGroup rgTestingOption;
  ConsoleRadioGroup rgDownloadAlg;
  ConsoleStatusBar StatusBar1;
  ConsoleWindow Form1;
  ConsoleErrorReporter errors;
  NoMessagePump pump;
  RealTimeWaiter waiter;

 private:
  app::MainWindowControls controls_{
      cbCOMOption,   cbBaudrateOption, cbAutoDetect, cbUSBOption, rgTestingOption,
      rgDownloadAlg, StatusBar1,       Form1,        errors,      pump,
      waiter};
};

}  // namespace orvane::cli
