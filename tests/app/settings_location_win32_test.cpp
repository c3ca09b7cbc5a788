#include <gtest/gtest.h>

#include "app/settings_location.h"
#include "app/settings_platform.h"
#include "support/settings_test_util.h"

namespace orvane::app {
namespace {

using test_support::ScopedEnv;
using test_support::TempFolder;

TEST(SettingsLocationWin32Test, TheFileLivesInAppDataAndTheOldPlaceIsTheWindowsFolder) {
  TempFolder folder;
  ScopedEnv noOverride(kSettingsFolderVariable, std::nullopt);
  ScopedEnv appData("APPDATA", folder.Path().string());
  EXPECT_EQ(SettingsFilePath(), folder / "Orvanekit.ini");
  const std::filesystem::path windows = SystemSettingsFolder();
  EXPECT_TRUE(std::filesystem::is_directory(windows)) << windows;
  EXPECT_TRUE(std::filesystem::exists(windows / "win.ini") ||
              std::filesystem::exists(windows / "system32"))
      << windows;
}

}  // namespace
}  // namespace orvane::app
