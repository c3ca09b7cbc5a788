#include "ui/views/progress_window_events.h"

namespace orvane::ui {

void ProgressWindowEvents::FormActivate() {
  ProgressBarView& bar = form2_.ProgressBar();
  bar.SetPosition(0);
  bar.SetMin(0);
  form2_.SetLabelText(kDownloadingWaitText);
  form1_.SetEnabled(false);
}

void ProgressWindowEvents::FormClose() { form1_.SetEnabled(true); }

void ProgressWindowEvents::BitBtn1Click() {
  form2_.Close();
  form1_.SetEnabled(true);
}

}  // namespace orvane::ui
