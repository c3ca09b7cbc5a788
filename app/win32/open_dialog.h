// The file-open dialog of the main window (OpenDialog1).
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "ui/views/views.h"

namespace orvane::app {

class Win32OpenDialog : public ui::OpenDialogView {
 public:
  // "Description|pattern" pairs separated by '|', as the filter is written in the window's design.
  std::string Filter;
  // After a successful Execute, the full name of the chosen file.
  std::string FileName;

  void SetInitialDir(const std::string& folder) override { initialDir_ = folder; }
  std::string InitialDir() const override { return initialDir_; }

  // Shows the dialog; true when the user chose a file. Choosing a file makes its folder the
  // process's current folder, which the Redownload command relies on.
  bool Execute(HWND owner);

 private:
  std::string initialDir_;
};

// While a hook is set, Execute hands the dialog to it instead of showing the platform's dialog;
// the hook returns the full name of the file chosen, or nothing for a cancel. Returns the
// previous hook. For tests, which cannot answer a modal dialog.
using OpenDialogHook = std::function<std::optional<std::string>(const Win32OpenDialog& dialog)>;
OpenDialogHook SetOpenDialogHook(OpenDialogHook hook);

// The filter in the platform's form: each '|' becomes a NUL, and the list ends in two NULs.
std::string PlatformFilter(const std::string& filter);

}  // namespace orvane::app
