#include "testing/test_file_lookup.h"

#include <system_error>

namespace orvane::boardtest {

namespace fs = std::filesystem;

std::vector<fs::path> TestFileFolders() {
  std::vector<fs::path> folders{fs::path()};
  const fs::path program = ExecutableFolder();
  if (program.empty()) return folders;
  folders.push_back(program);
  for (const fs::path& data : InstalledDataFolders(program)) folders.push_back(data);
  return folders;
}

std::optional<fs::path> FindTestFile(const std::string& name,
                                     const std::vector<fs::path>& folders) {
  for (const fs::path& folder : folders) {
    const fs::path candidate = folder.empty() ? fs::path(name) : folder / name;
    std::error_code error;
    if (fs::is_regular_file(candidate, error)) return candidate;
  }
  return std::nullopt;
}

}  // namespace orvane::boardtest
