#include <gtest/gtest.h>

#include "app/settings_location.h"
#include "support/settings_test_util.h"

namespace orvane::app {
namespace {

using test_support::ScopedEnv;
using test_support::TempFolder;

TEST(SettingsLocationPosixTest, XdgConfigHomeThenHomeDotConfig) {
  TempFolder folder;
  ScopedEnv noOverride(kSettingsFolderVariable, std::nullopt);
  ScopedEnv home("HOME", (folder / "home").string());
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", (folder / "xdg").string());
    EXPECT_EQ(SettingsFilePath(), folder / "xdg" / "orvane" / "Orvanekit.ini");
    EXPECT_TRUE(std::filesystem::is_directory(folder / "xdg" / "orvane"));
  }
  for (const std::optional<std::string>& xdg :
       {std::optional<std::string>(), std::optional<std::string>("relative/xdg")}) {
    ScopedEnv env("XDG_CONFIG_HOME", xdg);
    EXPECT_EQ(SettingsFilePath(), folder / "home" / ".config" / "orvane" / "Orvanekit.ini");
  }
}

}  // namespace
}  // namespace orvane::app
