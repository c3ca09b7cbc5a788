// Entry point of the Windows program.
#include <windows.h>

#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "app/product.h"
#include "app/startup_options.h"
#include "app/win32/application.h"
#include "app/win32/error_box.h"
#include "app/win32/win32_window.h"
#include "sim/line/virtual_board.h"
#include "sim/line/virtual_board_device.h"
#include "sim/line/virtual_board_registry.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
  using namespace orvane;
  const std::vector<std::string> arguments(__argv + (__argc > 0 ? 1 : 0), __argv + __argc);
  app::TApplication Application;
  try {
    Application.Initialize();
    Application.SetTitle(app::kApplicationTitle);
    Application.CreateForms(
        app::ParseStartupOptions(arguments, sim::VirtualBoardRequestedByEnvironment()));
  } catch (...) {
    // Without its windows the program cannot go on.
    app::ShowErrorBox(nullptr, app::ExceptionMessage(std::current_exception()));
    return 1;
  }
  return Application.Run(show);
}
