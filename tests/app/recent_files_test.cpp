#include <gmock/gmock.h>
#include <gtest/gtest.h>

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
using ::testing::ElementsAre;

// A settings file holding `count` and the entries given, File1 first.
std::string SettingsText(const std::string& count, const std::vector<std::string>& files) {
  std::string text =
      "[Directory]\r\nDir=C:\\work\r\n[File Count]\r\ncount=" + count + "\r\n[Files]\r\n";
  for (std::size_t i = 0; i < files.size(); ++i) {
    text += "File" + std::to_string(i + 1) + "=" + files[i] + "\r\n";
  }
  return text;
}

std::vector<std::string> Numbered(const std::string& stem, int first, int last) {
  std::vector<std::string> names;
  for (int i = first; i <= last; ++i) names.push_back(stem + std::to_string(i) + ".hex");
  return names;
}

class RecentFilesTest : public ::testing::Test {
 protected:
  // What the file holds, entry by entry, as the logic reads it.
  std::string Entry(int n) { return recent.Settings().ReadString("Files", FileKey(n), "none"); }
  std::string StoredCount() { return recent.Settings().ReadString("File Count", "count", "-"); }

  TempFolder folder;
  std::filesystem::path file = folder / "Orvanekit.ini";
  CallLog log;
  RecordingMenu menu{log};
  RecordingPainter painter{log};
  RecordingDialog dialog{log};
  RecentFiles recent{file, menu, painter, dialog};
};

TEST_F(RecentFilesTest, StartUpWithoutAFileShowsNoItemsAndGivesTheDialogNone) {
  recent.Load();
  EXPECT_EQ(recent.Count(), 0);
  EXPECT_EQ(recent.Folder(), "none");
  EXPECT_THAT(log, ElementsAre("dir none", "deactivate", "activate"));
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(RecentFilesTest, StartUpBuildsItemsNewestOnTopNumberedFromZero) {
  WriteBytes(file,
             "[Files]\r\nFile1=C:\\a.hex\r\nFile3=C:\\c.hex\r\n"
             "[File Count]\r\ncount=3\r\n[Directory]\r\nDir=D:\\x\r\n");
  recent.Load();
  EXPECT_EQ(recent.Count(), 3);
  EXPECT_EQ(dialog.initialDir, "D:\\x");
  EXPECT_THAT(log, ElementsAre("dir D:\\x", "deactivate", "add &0 C:\\c.hex", "add &1 none",
                               "add &2 C:\\a.hex", "activate"));
  ASSERT_EQ(menu.items.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(menu.items[k].name, "name1" + std::to_string(k + 1));
    EXPECT_EQ(menu.items[k].groupIndex, k);
    EXPECT_EQ(menu.items[k].imageIndex, -1);
  }
  EXPECT_EQ(recent.FileNameOfItem(0), "C:\\C.HEX");
}

TEST_F(RecentFilesTest, OneUpdateOnAFreshFileWritesTheExampleLayoutInTheRightOrder) {
  recent.Load();
  log.clear();
  recent.UpdateRecentFiles("C:\\work\\prog.hex");
  EXPECT_EQ(ReadBytes(file),
            "[Directory]\r\nDir=C:\\work\r\n[File Count]\r\ncount=1\r\n[Files]\r\n"
            "File1=C:\\work\\prog.hex\r\n");
  EXPECT_THAT(log, ElementsAre("dir C:\\work", "clear", "deactivate", "add &0 C:\\work\\prog.hex",
                               "activate"));
  EXPECT_EQ(menu.items.at(0).name, "name11");
  EXPECT_EQ(recent.Count(), 1);
}

TEST_F(RecentFilesTest, TheEleventhFileJoinsAndTheTwelfthPushesFileOneOut) {
  recent.Load();
  for (const std::string& name : Numbered("C:\\p", 1, 11)) recent.UpdateRecentFiles(name);
  EXPECT_EQ(StoredCount(), "11");
  EXPECT_EQ(Entry(11), "C:\\p11.hex");
  ASSERT_EQ(menu.items.size(), 11u);
  EXPECT_EQ(menu.items[10].name, "name111");
  EXPECT_EQ(menu.items[10].caption, "&10 C:\\p1.hex");

  recent.UpdateRecentFiles("C:\\p12.hex");
  EXPECT_EQ(StoredCount(), "11");
  EXPECT_EQ(recent.Count(), 11);
  for (int n = 1; n <= 11; ++n) EXPECT_EQ(Entry(n), "C:\\p" + std::to_string(n + 1) + ".hex");
  EXPECT_EQ(Entry(12), "none");
  EXPECT_EQ(menu.Captions().front(), "&0 C:\\p12.hex");
  EXPECT_EQ(menu.Captions().back(), "&10 C:\\p2.hex");
}

TEST_F(RecentFilesTest, AFileListedInAnotherLetterCaseChangesOnlyTheFolder) {
  WriteBytes(file, SettingsText("2", {"C:\\Work\\a.hex", "C:\\Work\\b.hex"}));
  recent.Load();
  log.clear();
  recent.UpdateRecentFiles("c:\\WORK\\A.HEX");
  EXPECT_EQ(ReadBytes(file),
            "[Directory]\r\nDir=c:\\WORK\r\n[File Count]\r\ncount=2\r\n"
            "[Files]\r\nFile1=C:\\Work\\a.hex\r\nFile2=C:\\Work\\b.hex\r\n");
  EXPECT_THAT(log, ElementsAre("dir c:\\WORK", "clear", "deactivate", "add &0 C:\\Work\\b.hex",
                               "add &1 C:\\Work\\a.hex", "activate"));
}

TEST_F(RecentFilesTest, OnlyTheLettersAToZAndNoOtherPathFormMakeTwoNamesEqual) {
  recent.Load();
  recent.UpdateRecentFiles("C:\\\xC3\xA4.hex");            // a-umlaut
  recent.UpdateRecentFiles("C:\\\xC3\x84.hex");            // A-umlaut: another file
  recent.UpdateRecentFiles("C:\\work\\..\\\xC3\xA4.hex");  // same file, other path
  EXPECT_EQ(recent.Count(), 3);
}

TEST_F(RecentFilesTest, AHandWrittenCountAboveElevenKeepsTheCountAndShiftsOnlyElevenEntries) {
  WriteBytes(file, SettingsText("13", Numbered("C:\\f", 1, 13)));
  recent.Load();
  ASSERT_EQ(menu.items.size(), 13u);
  EXPECT_EQ(menu.items[0].caption, "&0 C:\\f13.hex");

  recent.UpdateRecentFiles("C:\\new.hex");
  EXPECT_EQ(StoredCount(), "13");
  EXPECT_EQ(Entry(1), "C:\\f2.hex");
  EXPECT_EQ(Entry(10), "C:\\f11.hex");
  EXPECT_EQ(Entry(11), "C:\\new.hex");
  EXPECT_EQ(Entry(12), "C:\\f12.hex");
  EXPECT_EQ(Entry(13), "C:\\f13.hex");
  ASSERT_EQ(menu.items.size(), 13u);
  EXPECT_EQ(menu.items[2].caption, "&2 C:\\new.hex");
  // An entry beyond File11 is still found, so downloading it changes nothing.
  recent.UpdateRecentFiles("C:\\F13.HEX");
  EXPECT_EQ(Entry(11), "C:\\new.hex");
}

TEST_F(RecentFilesTest, TheCountIsAWholeNumberDecimalOrHexadecimal) {
  WriteBytes(file, SettingsText("0x2", {"C:\\a.hex", "C:\\b.hex"}));
  recent.Load();
  EXPECT_EQ(recent.Count(), 2);
  recent.UpdateRecentFiles("C:\\c.hex");
  EXPECT_EQ(StoredCount(), "3");

  for (const char* bad : {"abc", "0x", "2a", "", "-4"}) {
    WriteBytes(file, SettingsText(bad, {"C:\\a.hex"}));
    recent.Load();
    EXPECT_EQ(recent.Count(), 0) << bad;
  }
  // After a negative count the list starts again at File1.
  recent.UpdateRecentFiles("C:\\z.hex");
  EXPECT_EQ(StoredCount(), "1");
  EXPECT_EQ(Entry(1), "C:\\z.hex");
}

TEST_F(RecentFilesTest, TheFolderIsWrittenAndReadBackIntoTheDialog) {
  recent.Load();
  recent.UpdateRecentFiles("prog.hex");
  EXPECT_EQ(recent.Settings().ReadString("Directory", "Dir", "none"), "");
  EXPECT_EQ(dialog.initialDir, "");
  recent.UpdateRecentFiles("C:\\prog.hex");
  EXPECT_EQ(dialog.initialDir, "C:\\");
}

TEST_F(RecentFilesTest, AnUnwritableFileStopsTheUpdateBeforeAnythingChanges) {
  RecentFiles inMissingFolder(folder / "gone" / "Orvanekit.ini", menu, painter, dialog);
  inMissingFolder.Load();
  log.clear();
  try {
    inMissingFolder.UpdateRecentFiles("C:\\work\\prog.hex");
    FAIL() << "no error";
  } catch (const IniWriteError& error) {
    EXPECT_STREQ(error.what(), "Unable to write to Orvanekit.ini");
  }
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(inMissingFolder.Count(), 0);
}

TEST_F(RecentFilesTest, AWriteFailingAfterTheFolderLeavesTheMenuRebuiltAndThePainterActive) {
  WriteBytes(file, SettingsText("1", {"C:\\a.hex"}));
  recent.Load();
  int writes = 0;
  recent.Settings().SetBeforeReplaceHook([&](const std::filesystem::path&) {
    if (++writes == 2) throw IniWriteError("Orvanekit.ini");  // the count
  });
  log.clear();
  EXPECT_THROW(recent.UpdateRecentFiles("C:\\b.hex"), IniWriteError);
  EXPECT_EQ(recent.Count(), 1);
  EXPECT_EQ(StoredCount(), "1");
  EXPECT_THAT(log, ElementsAre("dir C:\\", "clear", "deactivate", "add &0 C:\\a.hex", "activate"));
}

TEST_F(RecentFilesTest, AHugeHandWrittenCountShowsABoundedNumberOfItems) {
  WriteBytes(file, SettingsText("2000000000", {"C:\\a.hex"}));
  recent.Load();
  EXPECT_EQ(recent.Count(), 2000000000);
  EXPECT_EQ(menu.items.size(), static_cast<std::size_t>(kMaxRecentMenuItems));
  recent.UpdateRecentFiles("C:\\b.hex");
  EXPECT_EQ(Entry(11), "C:\\b.hex");
  EXPECT_EQ(StoredCount(), "2000000000");
}

TEST(RecentFilesTextTest, FolderOfFileName) {
  EXPECT_EQ(FolderOfFileName("C:\\work\\prog.hex"), "C:\\work");
  EXPECT_EQ(FolderOfFileName("C:\\prog.hex"), "C:\\");
  EXPECT_EQ(FolderOfFileName("prog.hex"), "");
  EXPECT_EQ(FolderOfFileName("C:prog.hex"), "C:");
  EXPECT_EQ(FolderOfFileName("\\\\server\\share\\prog.hex"), "\\\\server\\share");
  EXPECT_EQ(FolderOfFileName("\\prog.hex"), "\\");
}

TEST(RecentFilesTextTest, WholeNumbersOutsideTheIntRangeAreNoNumbers) {
  EXPECT_EQ(ParseWholeNumber("0X1a"), 26);
  EXPECT_EQ(ParseWholeNumber("2147483647"), 2147483647);
  EXPECT_EQ(ParseWholeNumber("2147483648"), 0);
  EXPECT_EQ(ParseWholeNumber("0xFFFFFFFF"), 0);
}

TEST(RecentFilesTextTest, ItemCaptionsAndTheFileNameTakenBackFromThem) {
  EXPECT_EQ(RecentItemCaption(10, "C:\\a.hex"), "&10 C:\\a.hex");
  EXPECT_EQ(RecentItemName(10), "name111");
  // Only the blank after the item number goes; blanks in the path stay.
  EXPECT_EQ(FileNameFromRecentCaption("&0 c:\\my files\\prog.hex"), "C:\\MY FILES\\PROG.HEX");
  EXPECT_EQ(FileNameFromRecentCaption("prog.hex"), "PROG.HEX");
}

}  // namespace
}  // namespace orvane::app
