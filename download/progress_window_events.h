// What the progress window does when it is activated, closed or its Close button clicked. The
// Windows TForm2 and the stand-ins of the command-line tool and the tests all run these, so the
// main window is disabled exactly while the progress window is shown, wherever it is shown.
#pragma once

#include "app/window_interfaces.h"

namespace orvane::download {

class ProgressWindowEvents {
 public:
  // `form2` is the progress window, `form1` the main window it disables while shown.
  ProgressWindowEvents(app::ProgressWindowView& form2, app::WindowView& form1)
      : form2_(form2), form1_(form1) {}

  // Each time the window becomes active: the bar back to 0, the waiting text, the main window
  // disabled.
  void FormActivate();
  // When the window is closed, by its caller or its button: the main window enabled again.
  void FormClose();
  // The Close button: closes the window (which runs FormClose), then enables the main window.
  void BitBtn1Click();

 private:
  app::ProgressWindowView& form2_;
  app::WindowView& form1_;
};

}  // namespace orvane::download
