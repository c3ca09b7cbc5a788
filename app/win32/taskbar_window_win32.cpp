#include "app/win32/taskbar_window.h"

#include <stdexcept>

namespace orvane::app {

TaskbarWindow::TaskbarWindow(const std::string& title) {
  // A popup with a caption and a system menu, as the task bar expects of an application window;
  // no size, at the main window's place, so nothing of it is drawn.
  if (!CreateTopLevel(title, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS, WS_EX_APPWINDOW,
                      165, 102, 0, 0, nullptr, nullptr)) {
    throw std::runtime_error("Unable to create the application window");
  }
  // CreateTopLevel sizes the frame around the client area: take the frame away again.
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TaskbarWindow::~TaskbarWindow() { DestroyHandle(); }

void TaskbarWindow::SetTitle(const std::string& title) { SetWindowTextA(Handle(), title.c_str()); }

void TaskbarWindow::ShowEntry() { ShowWindow(Handle(), SW_SHOWNOACTIVATE); }

void TaskbarWindow::OnActivate(bool active) {
  // A click on the task-bar entry activates this window: hand the activation on to the window
  // the user works in (the main window, or the progress or testing window in front of it).
  if (!active) return;
  HWND popup = GetLastActivePopup(Handle());
  if (popup && popup != Handle() && IsWindowEnabled(popup)) SetActiveWindow(popup);
}

bool TaskbarWindow::OnClose() {
  // Closing the entry closes the program, the same way as the main window's close box.
  // While a command keeps the main window disabled, it does not close either.
  if (mainWindow_ && IsWindowEnabled(mainWindow_)) {
    PostMessageA(mainWindow_, WM_SYSCOMMAND, SC_CLOSE, 0);
  }
  return true;
}

}  // namespace orvane::app
