// What the testing window does when it is activated and when its OK button is pressed. The
// Windows TForm3 and the stand-ins of the command-line tool and the tests all run these, so the
// main window is disabled exactly while the testing window is up, wherever it is shown.
#pragma once

#include "ui/views/testing_window_view.h"
#include "ui/views/views.h"

namespace orvane::boardtest {

class TestingWindowEvents {
 public:
  // `form3` is the testing window, `form1` the main window it disables while shown.
  TestingWindowEvents(ui::TestingWindowView& form3, ui::WindowView& form1)
      : form3_(form3), form1_(form1) {}

  // Each time the window becomes active: the main window disabled, the text area emptied.
  void FormActivate();
  // The OK button: the main window enabled, the progress bar hidden, the window closed.
  void BitBtn1Click();

 private:
  ui::TestingWindowView& form3_;
  ui::WindowView& form1_;
};

}  // namespace orvane::boardtest
