// The [Windows] section: places read back clamped onto the screen, damage read as the fallback,
// a failed write silent, and the other sections left as they were.
#include <gtest/gtest.h>

#include "app/window_settings.h"
#include "support/settings_test_util.h"

namespace orvane::app {
namespace {

using test_support::ReadBytes;
using test_support::TempFolder;
using test_support::WriteBytes;

constexpr WindowPlace kScreen{0, 0, 1024, 768};
constexpr WindowPlace kMinimum{0, 0, 300, 200};
constexpr WindowPlace kFallback{40, 60, 600, 380};

TEST(WindowSettingsTest, StoredPlacesAreReadClampedOntoTheScreen) {
  struct Case {
    const char* stored;
    WindowPlace read;
  } cases[] = {
      {"10,20,500,300", {10, 20, 500, 300}},
      {"-4000,-50,500,300", {0, 0, 500, 300}},    // off the top left
      {"900,700,500,300", {524, 468, 500, 300}},  // off the bottom right
      {"10,20,5,5", {10, 20, 300, 200}},          // below the least size
      {"0,0,99999,99999", {0, 0, 1024, 768}},     // larger than the screen
      {"10,20,500", {40, 60, 600, 380}},          // damaged: the fallback
      {"10,20,500,300,7", {40, 60, 600, 380}},
      {"a,b,c,d", {40, 60, 600, 380}},
      {"10, 20,500,300", {40, 60, 600, 380}},
      {"99999999999,0,500,300", {40, 60, 600, 380}},
  };
  TempFolder folder;
  const auto file = folder.Path() / "Orvanekit.ini";
  for (const Case& c : cases) {
    WriteBytes(file, std::string("[Windows]\r\nTerminal=") + c.stored + "\r\n");
    EXPECT_EQ(WindowSettings(file).ReadPlace("Terminal", kFallback, {kScreen}, kMinimum), c.read)
        << c.stored;
  }
}

TEST(WindowSettingsTest, APlaceComesBackOnAScreenThatExists) {
  const WindowPlace primary{0, 0, 1920, 1080};
  const WindowPlace second{1920, 0, 1280, 720};  // to the right, less tall
  struct Case {
    WindowPlace kept;
    std::vector<WindowPlace> screens;
    WindowPlace read;
  } cases[] = {
      {{2000, 100, 600, 380}, {primary, second}, {2000, 100, 600, 380}},  // on the second
      {{1800, 100, 600, 380}, {primary, second}, {1920, 100, 600, 380}},  // mostly on it
      {{2000, 800, 600, 380}, {primary, second}, {1320, 700, 600, 380}},  // below it: on none
      {{2000, 100, 600, 380}, {primary}, {1320, 100, 600, 380}},          // the second gone
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KeepOnScreens(c.kept, c.screens, kMinimum), c.read) << FormatWindowPlace(c.kept);
  }
}

TEST(WindowSettingsTest, WritingChangesOnlyItsKeyAndAFailedWriteIsSilent) {
  TempFolder folder;
  const auto file = folder.Path() / "Orvanekit.ini";
  const std::string recent = "[File Count]\r\ncount=1\r\n[Files]\r\nFile1=C:\\a.hex\r\n";
  WriteBytes(file, recent);
  WindowSettings settings(file);
  EXPECT_EQ(settings.ReadPlace("Terminal", kFallback, {kScreen}, kMinimum), kFallback);
  settings.WritePlace("Terminal", {1, 2, 640, 400});
  settings.WriteValue("TerminalLineEnd", "CR LF");
  EXPECT_EQ(ReadBytes(file),
            recent + "[Windows]\r\nTerminal=1,2,640,400\r\nTerminalLineEnd=CR LF\r\n");
  EXPECT_EQ(settings.ReadValue("TerminalLineEnd", "CR"), "CR LF");

  // A folder where the file should be: nothing can be written, and nothing is thrown.
  WindowSettings nowhere(folder.Path());
  EXPECT_NO_THROW(nowhere.WritePlace("Terminal", {1, 2, 640, 400}));
  EXPECT_EQ(nowhere.ReadValue("TerminalLineEnd", "CR"), "CR");
}

}  // namespace
}  // namespace orvane::app
