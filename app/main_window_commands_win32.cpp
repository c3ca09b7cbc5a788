// The main window's commands. Each handler hands its work to the portable logic through
// Controls(), BoardLink() and the windows; a handler whose command is not built yet does nothing.
#include "app/main_window.h"

namespace orvane::app {

void TForm1::OpenDownload1Click() {}

void TForm1::Redownload1Click() {}

void TForm1::RecentFileClick(int /*groupIndex*/) {}

void TForm1::Testing1Click() {}

}  // namespace orvane::app
