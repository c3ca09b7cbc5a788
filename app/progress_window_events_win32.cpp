// The behaviour of the progress window, which comes with the download run.
#include "app/progress_window.h"

namespace orvane::app {

void TForm2::FormActivate() {}

void TForm2::FormClose() {}

void TForm2::BitBtn1Click() {}

}  // namespace orvane::app
