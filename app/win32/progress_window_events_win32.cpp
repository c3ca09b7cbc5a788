// The progress window's handlers: the behaviour is the download run's, shared with the stand-ins
// of the command-line tool and the tests.
#include "app/win32/progress_window.h"

namespace orvane::app {

void TForm2::FormActivate() { events_.FormActivate(); }

void TForm2::FormClose() { events_.FormClose(); }

void TForm2::BitBtn1Click() { events_.BitBtn1Click(); }

}  // namespace orvane::app
