#include <system_error>

#include "testing/test_file_lookup.h"

namespace orvane::boardtest {

namespace fs = std::filesystem;

fs::path ExecutableFolder() {
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path() : program.parent_path();
}

std::vector<fs::path> InstalledDataFolders(const fs::path& programFolder) {
  // An installed program lives in <prefix>/bin and its data in <prefix>/share/orvane.
  return {(programFolder / ".." / "share" / "orvane").lexically_normal()};
}

}  // namespace orvane::boardtest
