// Settings files no program should trust: binary garbage, counts at and beyond the int range,
// negative ones, lines of megabytes, missing sections, a file that cannot be written. The start-up
// read always succeeds with a sane Recent Files menu, the user's valid entries survive the next
// download, and a failed write is one error.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/recent_files.h"
#include "support/settings_test_util.h"

namespace orvane::app {
namespace {

using test_support::CallLog;
using test_support::ReadBytes;
using test_support::RecordingDialog;
using test_support::RecordingMenu;
using test_support::RecordingPainter;
using test_support::TempFolder;
using test_support::WriteBytes;

std::string Garbage(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

const std::string kValid = "[Files]\r\nFile1=C:\\KEEP\\ONE.HEX\r\nFile2=C:\\KEEP\\TWO.HEX\r\n";

TEST(HostileSettings, StartUpIsSaneAndValidEntriesSurviveTheNextDownload) {
  struct Case {
    const char* name;
    std::string text;
    int count;               // as loaded
    std::size_t items;       // Recent Files items shown
    bool keepsValidEntries;  // File1 and File2 of kValid still there after a download
  };
  const std::string megabyteLine(3u << 20, 'x');
  const std::vector<Case> cases = {
      {"binary garbage", Garbage(64 << 10, 1), 0, 0, false},
      {"garbage around valid entries",
       Garbage(4096, 2) + "\r\n[File Count]\r\ncount=2\r\n" + kValid + Garbage(4096, 3), 2, 2,
       true},
      {"count 2147483647", "[File Count]\r\ncount=2147483647\r\n" + kValid, 2147483647,
       kMaxRecentMenuItems, true},
      {"count 0x7fffffff", "[File Count]\r\ncount=0x7fffffff\r\n" + kValid, 2147483647,
       kMaxRecentMenuItems, true},
      {"count beyond the int range", "[File Count]\r\ncount=99999999999\r\n" + kValid, 0, 0, false},
      {"count -5", "[File Count]\r\ncount=-5\r\n" + kValid, 0, 0, false},
      {"a line of megabytes",
       "[File Count]\r\ncount=2\r\n[Files]\r\nFile1=" + megabyteLine +
           "\r\nFile2=C:\\KEEP\\TWO.HEX\r\n[Directory]\r\nDir=" + megabyteLine + "\r\n",
       2, 2, false},
      {"no count section", kValid, 0, 0, false},
      {"no files section", "[File Count]\r\ncount=3\r\n", 3, 3, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    const auto file = folder / "Orvanekit.ini";
    WriteBytes(file, c.text);
    CallLog log;
    RecordingMenu menu(log);
    RecordingPainter painter(log);
    RecordingDialog dialog(log);
    RecentFiles recent(file, menu, painter, dialog);
    recent.Load();
    EXPECT_EQ(recent.Count(), c.count);
    ASSERT_EQ(menu.items.size(), c.items);
    for (const auto& item : menu.items) {
      EXPECT_LE(item.caption.size(), 4u + kMaxProfileValueLength);
      EXPECT_EQ(item.caption.find_first_of("\r\n"), std::string::npos);
    }
    EXPECT_LE(dialog.initialDir.size(), kMaxProfileValueLength);

    recent.UpdateRecentFiles("C:\\WORK\\NEW.HEX");
    const IniDocument after = IniDocument::Parse(ReadBytes(file));
    EXPECT_EQ(after.Read("Directory", "Dir", ""), "C:\\WORK");
    if (c.keepsValidEntries && c.count <= 2) {
      EXPECT_EQ(after.Read("Files", "File1", ""), "C:\\KEEP\\ONE.HEX");
      EXPECT_EQ(after.Read("Files", "File2", ""), "C:\\KEEP\\TWO.HEX");
    }
    if (recent.Count() <= kMaxRecentFiles) {
      EXPECT_EQ(menu.items.front().caption, "&0 C:\\WORK\\NEW.HEX");
    }
  }
}

// A settings file that cannot be written (here: its name is taken by a folder, which stops root
// as well as anyone): the start-up still reads the defaults, and a download's update raises
// "Unable to write to Orvanekit.ini" once, from its first write, leaving the menu as it was.
TEST(HostileSettings, AnUnwritableFileIsOneErrorAndTheMenuStays) {
  TempFolder folder;
  const auto file = folder / "Orvanekit.ini";
  std::filesystem::create_directories(file);
  CallLog log;
  RecordingMenu menu(log);
  RecordingPainter painter(log);
  RecordingDialog dialog(log);
  RecentFiles recent(file, menu, painter, dialog);
  recent.Load();
  EXPECT_EQ(recent.Count(), 0);
  EXPECT_EQ(dialog.initialDir, "none");
  int errors = 0;
  try {
    recent.UpdateRecentFiles("C:\\WORK\\NEW.HEX");
  } catch (const IniWriteError& error) {
    ++errors;
    EXPECT_STREQ(error.what(), "Unable to write to Orvanekit.ini");
  }
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(recent.Count(), 0);
  EXPECT_TRUE(menu.items.empty());
}

}  // namespace
}  // namespace orvane::app
