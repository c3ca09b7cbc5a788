#include "app/settings_location.h"

#include <system_error>

#include "app/settings_platform.h"

namespace orvane::app {

namespace fs = std::filesystem;

bool CarryOverSettingsFile(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  if (from.empty() || fs::exists(to, ec) || ec || !fs::is_regular_file(from, ec)) return false;
  return fs::copy_file(from, to, fs::copy_options::skip_existing, ec) && !ec;
}

fs::path SettingsFilePath() {
  const fs::path override = PathFromEnvironment(kSettingsFolderVariable);
  fs::path folder = override.empty() ? UserSettingsFolder() : override;
  if (folder.empty()) folder = SystemSettingsFolder();
  // A folder that cannot be made shows later as "Unable to write to Orvanekit.ini".
  std::error_code ec;
  if (!folder.empty()) fs::create_directories(folder, ec);
  const fs::path file = folder / kSettingsFileName;
  if (override.empty()) {
    const fs::path system = SystemSettingsFolder();
    if (!system.empty() && system != folder) {
      CarryOverSettingsFile(system / kSettingsFileName, file);
    }
  }
  return file;
}

}  // namespace orvane::app
