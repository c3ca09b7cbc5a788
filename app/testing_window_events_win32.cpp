// The behaviour of the testing window, which comes with the board tests.
#include "app/testing_window.h"

namespace orvane::app {

void TForm3::FormActivate() {}

void TForm3::BitBtn1Click() {}

}  // namespace orvane::app
