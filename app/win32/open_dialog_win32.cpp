#include <windows.h>
// The common dialogs' header needs the definitions above.
#include <commdlg.h>

#include <utility>
#include <vector>

#include "app/win32/open_dialog.h"

namespace orvane::app {
namespace {

OpenDialogHook& Hook() {
  static OpenDialogHook hook;
  return hook;
}

}  // namespace

OpenDialogHook SetOpenDialogHook(OpenDialogHook hook) {
  return std::exchange(Hook(), std::move(hook));
}

std::string PlatformFilter(const std::string& filter) {
  std::string out = filter;
  for (char& c : out) {
    if (c == '|') c = '\0';
  }
  out.push_back('\0');
  out.push_back('\0');
  return out;
}

bool Win32OpenDialog::Execute(HWND owner) {
  if (Hook()) {
    const std::optional<std::string> chosen = Hook()(*this);
    if (!chosen) return false;
    FileName = *chosen;
    return true;
  }
  const std::string filter = PlatformFilter(Filter);
  std::vector<char> file(32768, '\0');
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = initialDir_.empty() ? nullptr : initialDir_.c_str();
  // No OFN_NOCHANGEDIR: the chosen file's folder becomes the current folder on purpose.
  ofn.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;
  if (!GetOpenFileNameA(&ofn)) return false;
  FileName = file.data();
  return true;
}

}  // namespace orvane::app
