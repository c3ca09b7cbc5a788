// The testing window's handlers: the behaviour is the board tests', shared with the stand-ins of
// the command-line tool and the tests.
#include "app/win32/testing_window.h"

namespace orvane::app {

void TForm3::FormActivate() { events_.FormActivate(); }

void TForm3::BitBtn1Click() { events_.BitBtn1Click(); }

}  // namespace orvane::app
