// Helpers of the window tests: the program started in-process as WinMain starts it, with the
// error boxes captured instead of shown and a settings folder of its own; bounded message pumping.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/product.h"
#include "app/settings_location.h"
#include "app/win32/application.h"
#include "app/win32/error_box.h"
#include "app/win32/main_window.h"
#include "app/win32/progress_window.h"
#include "app/win32/testing_window.h"
#include "sim/line/virtual_board_registry.h"
#include "support/settings_test_util.h"
#include "support/temp_folder.h"

namespace orvane::gui_test {

using ScratchFolder = test_support::TempFolder;

// An environment variable of this process; empty when it is not set.
inline std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// A path of the build machine as this program sees it (Wine shows the Unix root as Z:).
inline std::string WindowsPath(std::string path) {
  for (char& c : path) c = c == '/' ? '\\' : c;
  return path.starts_with("\\") ? "Z:" + path : path;
}

// Chooses the in-process virtual board in the main window's port box.
inline void ChooseVirtualPort(app::TForm1& form) {
  for (int i = 0; i < form.cbCOMOption.ItemCount(); ++i) {
    if (form.cbCOMOption.Item(i) == sim::kVirtualPortName) form.cbCOMOption.SetItemIndex(i);
  }
}

// Runs pending messages through the application until `done` holds; false when `limit` passed.
inline bool PumpUntil(app::TApplication& application, const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    application.ProcessMessages();
    if (done()) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}

// The program as WinMain starts it: application object, title, the three windows, the main
// window shown; settings in a scratch folder; error boxes captured.
class RunningProgram {
 public:
  // `settingsFile` (if not empty) is the content of the settings file found at start-up.
  explicit RunningProgram(app::StartupOptions options = {.virtualBoard = true},
                          const std::string& settingsFile = {}) {
    if (!settingsFile.empty()) settingsFolder.Write(settingsFile);
    previousHook_ = app::SetErrorBoxHook([this](HWND owner, const std::string& text) {
      errorBoxes.push_back({owner, text});
    });
    application.Initialize();
    application.SetTitle(app::kApplicationTitle);
    application.CreateForms(options);
    application.ShowMainForm();
    application.ProcessMessages();
  }
  ~RunningProgram() {
    application.DestroyForms();
    // Leaves no quit request behind for the next program in this thread.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    app::SetErrorBoxHook(std::move(previousHook_));
  }
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  app::TForm1& Form1() { return *application.MainForm(); }
  app::TForm2& Form2() { return *application.Form2(); }
  app::TForm3& Form3() { return *application.Form3(); }
  bool PumpUntil(const std::function<bool()>& done) {
    return gui_test::PumpUntil(application, done);
  }

  struct ErrorBox {
    HWND owner;
    std::string text;
  };
  test_support::ScopedSettingsFolder settingsFolder;
  std::vector<ErrorBox> errorBoxes;
  app::TApplication application;

 private:
  app::ErrorBoxHook previousHook_;
};

// Text of a child control found by its id below `parent` (any depth).
inline HWND Control(HWND form, int id) {
  HWND found = GetDlgItem(form, id);
  if (found) return found;
  struct Search {
    int id;
    HWND found;
  } search{id, nullptr};
  EnumChildWindows(
      form,
      [](HWND child, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        if (GetDlgCtrlID(child) == s->id) {
          s->found = child;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Presses a key with Ctrl held, as the keyboard would deliver it to the focused window.
inline void PressWithControl(HWND target, WPARAM key) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = keys[VK_LCONTROL] = 0x80;
  SetKeyboardState(keys);
  PostMessageA(target, WM_KEYDOWN, key, 1);
}

inline void ReleaseControl() {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = keys[VK_LCONTROL] = 0;
  SetKeyboardState(keys);
}

inline std::string ClassNameOf(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

inline SIZE ClientSize(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace orvane::gui_test
