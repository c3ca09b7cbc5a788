// The main window as the board link and the commands see it: its controls, its message box, its
// message loop and its waits, and the panels of its status bar.
#pragma once

#include "ui/views/message_pump.h"
#include "ui/views/views.h"

namespace orvane::ui {

// The status bar's panels.
inline constexpr int kConnectionPanel = 0;
inline constexpr int kAutoDetectPanel = 1;
inline constexpr int kPortPanel = 2;
inline constexpr int kBaudRatePanel = 3;
// The name part of the file last chosen in the open dialog, written after every successful
// download run and read back by Redownload.
inline constexpr int kFileNamePanel = 4;
inline constexpr int kStatusPanelCount = kFileNamePanel + 1;

// What the board link and the commands need of the main window.
struct MainWindowControls {
  ComboBoxView& cbCOMOption;
  ComboBoxView& cbBaudrateOption;
  CheckBoxView& cbAutoDetect;
  CheckBoxView& cbUSBOption;
  RadioGroupView& rgTestingOption;
  RadioGroupView& rgDownloadAlg;
  StatusBarView& StatusBar1;
  WindowView& Form1;
  ErrorReporter& errors;
  MessagePump& pump;
  Waiter& waiter;
};

}  // namespace orvane::ui
