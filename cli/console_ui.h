// Console stand-ins for the main window's views (ui/views/views.h), so that the board
// commands of the command-line tool run the same portable logic as the window: combo boxes hold
// their entries and text, check boxes and radio groups their state, the status bar its panels in
// memory; message boxes become lines on standard error with the same text; waits are real.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/cli_context.h"
#include "ui/views/main_window_controls.h"
#include "ui/views/memory_views.h"

namespace orvane::cli {

// Combo box of the console: a --port or --baud text selects the entry it names, as if chosen.
class ConsoleComboBox final : public ui::MemoryComboBox {
 public:
  void SetText(const std::string& text) { SelectOrType(text); }
};

using ConsoleCheckBox = ui::MemoryCheckBox;
using ConsoleRadioGroup = ui::MemoryRadioGroup;
using ConsoleStatusBar = ui::MemoryStatusBar;
using ConsoleWindow = ui::MemoryWindow;

// The "Error" message box: its text and a line end on the given stream (standard error). The
// texts shown are kept, for the hints that follow them.
class ConsoleErrorReporter final : public ui::ErrorReporter {
 public:
  explicit ConsoleErrorReporter(std::ostream& out);
  void ShowError(const std::string& text) override;
  const std::vector<std::string>& Shown() const { return shown_; }

 private:
  std::ostream& out_;
  std::vector<std::string> shown_;
};

using NoMessagePump = ui::NoMessagePump;
using RealTimeWaiter = ui::RealTimeWaiter;

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

  ui::MainWindowControls& Controls() { return controls_; }

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
  ui::MainWindowControls controls_{
      cbCOMOption,   cbBaudrateOption, cbAutoDetect, cbUSBOption, rgTestingOption,
      rgDownloadAlg, StatusBar1,       Form1,        errors,      pump,
      waiter};
};

}  // namespace orvane::cli
