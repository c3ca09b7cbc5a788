#include <windows.h>

#include <string>

#include "testing/test_file_lookup.h"

namespace orvane::boardtest {

namespace fs = std::filesystem;

fs::path ExecutableFolder() {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return {};
    // A name that filled the buffer may have been cut short: try again with room to spare.
    if (length < name.size()) {
      name.resize(length);
      return fs::path(name).parent_path();
    }
    name.resize(name.size() * 2);
  }
}

// A Windows program keeps its data files in its own folder.
std::vector<fs::path> InstalledDataFolders(const fs::path&) { return {}; }

}  // namespace orvane::boardtest
