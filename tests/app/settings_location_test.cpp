#include <gtest/gtest.h>

#include "app/settings_location.h"
#include "support/settings_test_util.h"

namespace orvane::app {
namespace {

using test_support::ReadBytes;
using test_support::ScopedEnv;
using test_support::TempFolder;
using test_support::WriteBytes;

TEST(SettingsLocationTest, TheOverrideFolderHoldsTheFileAndIsCreated) {
  TempFolder folder;
  const std::filesystem::path wanted = folder / "deep";
  ScopedEnv env(kSettingsFolderVariable, (wanted / "er").string());
  EXPECT_EQ(SettingsFilePath(), wanted / "er" / "Orvanekit.ini");
  EXPECT_TRUE(std::filesystem::is_directory(wanted / "er"));
}

TEST(SettingsLocationTest, AnOldFileIsCopiedOnlyWhenTheNewPlaceHasNone) {
  TempFolder folder;
  const auto old = folder / "old.ini";
  const auto current = folder / "Orvanekit.ini";
  EXPECT_FALSE(CarryOverSettingsFile(old, current)) << "nothing to copy";
  WriteBytes(old, "[Directory]\r\nDir=C:\\old\r\n");
  EXPECT_TRUE(CarryOverSettingsFile(old, current));
  EXPECT_EQ(ReadBytes(current), "[Directory]\r\nDir=C:\\old\r\n");
  WriteBytes(current, "[Directory]\r\nDir=C:\\mine\r\n");
  EXPECT_FALSE(CarryOverSettingsFile(old, current));
  EXPECT_EQ(ReadBytes(current), "[Directory]\r\nDir=C:\\mine\r\n");
  EXPECT_FALSE(CarryOverSettingsFile({}, folder / "other.ini"));
}

}  // namespace
}  // namespace orvane::app
