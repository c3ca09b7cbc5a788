// The application's own window: it carries the application title, which the platform shows as
// the program's task-bar entry, while the main window keeps its longer caption. It is never seen
// (no size, under the main window); the main window is owned by it, so the task bar lists the
// program once, under the application title.
#pragma once

#include <windows.h>

#include <string>

#include "app/win32/win32_window.h"

namespace orvane::app {

class TaskbarWindow : public Window {
 public:
  explicit TaskbarWindow(const std::string& title);
  ~TaskbarWindow() override;

  void SetTitle(const std::string& title);
  // Shows the entry (without taking the focus); the main window is shown after it.
  void ShowEntry();
  // The window that closing the entry closes (the main window).
  void SetMainWindow(HWND window) { mainWindow_ = window; }

 protected:
  void OnActivate(bool active) override;
  bool OnClose() override;

 private:
  HWND mainWindow_ = nullptr;
};

}  // namespace orvane::app
