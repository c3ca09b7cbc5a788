#include "ui/views/testing_window_events.h"

namespace orvane::boardtest {

void TestingWindowEvents::FormActivate() {
  form1_.SetEnabled(false);
  form3_.SetText("");
}

void TestingWindowEvents::BitBtn1Click() {
  form1_.SetEnabled(true);
  if (form3_.ProgressBarVisible()) form3_.SetProgressBarVisible(false);
  form3_.Close();
}

}  // namespace orvane::boardtest
