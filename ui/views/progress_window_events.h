// What the progress window does when it is activated, closed or its Close button clicked. The
// Windows TForm2 and the stand-ins of the command-line tool and the tests all run these, so the
// main window is disabled exactly while the progress window is shown, wherever it is shown.
#pragma once

#include "ui/views/views.h"

namespace orvane::ui {

// The label as the window is designed, and the text each activation puts there.
inline constexpr const char* kProgressDesignedLabel = "Downloading.......... Please wait";
inline constexpr const char* kDownloadingWaitText = "Downloading......please wait";

class ProgressWindowEvents {
 public:
  // `form2` is the progress window, `form1` the main window it disables while shown.
  ProgressWindowEvents(ProgressWindowView& form2, WindowView& form1)
      : form2_(form2), form1_(form1) {}

  // Each time the window becomes active: the bar back to 0, the waiting text, the main window
  // disabled.
  void FormActivate();
  // When the window is closed, by its caller or its button: the main window enabled again.
  void FormClose();
  // The Close button: closes the window (which runs FormClose), then enables the main window.
  void BitBtn1Click();

 private:
  ProgressWindowView& form2_;
  WindowView& form1_;
};

}  // namespace orvane::ui
