#include <gtest/gtest.h>

#include <string>

#include "app/ini_profile.h"
#include "support/settings_test_util.h"

namespace orvane::app {
namespace {

using test_support::ReadBytes;
using test_support::TempFolder;
using test_support::WriteBytes;

class IniProfileTest : public ::testing::Test {
 protected:
  TempFolder folder;
  std::filesystem::path file = folder / "Orvanekit.ini";
  IniProfile profile{file};
};

TEST_F(IniProfileTest, ReadsGiveTheDefaultForMissingFileSectionOrKeyButNotForAnEmptyValue) {
  EXPECT_EQ(profile.ReadString("Directory", "Dir", "none"), "none");
  EXPECT_FALSE(std::filesystem::exists(file)) << "a read must not create the file";

  WriteBytes(file, "[Directory]\r\nDir=\n[Files]\rFile1=a.hex");  // CRLF, LF, lone CR, none
  EXPECT_EQ(profile.ReadString("Directory", "Dir", "none"), "");
  EXPECT_EQ(profile.ReadString("Directory", "Other", "none"), "none");
  EXPECT_EQ(profile.ReadString("File Count", "count", "0"), "0");
  EXPECT_EQ(profile.ReadString("Files", "File1", "none"), "a.hex");
  // The key of another section is not found.
  EXPECT_EQ(profile.ReadString("Directory", "File1", "none"), "none");
}

TEST_F(IniProfileTest, WritesFromScratchGiveTheExactLayoutWithSectionsInOrderOfFirstWrite) {
  profile.WriteString("Directory", "Dir", "C:\\work");
  profile.WriteString("File Count", "count", "1");
  profile.WriteString("Files", "File1", "C:\\work\\prog.hex");
  EXPECT_EQ(ReadBytes(file),
            "[Directory]\r\nDir=C:\\work\r\n[File Count]\r\ncount=1\r\n[Files]\r\n"
            "File1=C:\\work\\prog.hex\r\n");
}

TEST_F(IniProfileTest, WriteReplacesInPlaceAddsAtTheSectionEndAndKeepsOtherLines) {
  WriteBytes(file,
             "; kept comment\n[Files]\nFile1=a.hex\nFile2 = b.hex\n\n[Directory]\nDir=C:\\old\n");
  profile.WriteString("Files", "File1", "c.hex");
  profile.WriteString("Files", "File3", "d.hex");
  profile.WriteString("Directory", "Dir", "C:\\new");
  profile.WriteString("File Count", "count", "3");
  // LF lines come back with CRLF; the new key goes before the blank line ending its section.
  EXPECT_EQ(ReadBytes(file),
            "; kept comment\r\n[Files]\r\nFile1=c.hex\r\nFile2 = b.hex\r\nFile3=d.hex\r\n\r\n"
            "[Directory]\r\nDir=C:\\new\r\n[File Count]\r\ncount=3\r\n");
  // Blanks around '=' are not part of the name or the value.
  EXPECT_EQ(profile.ReadString("Files", "File2", "none"), "b.hex");
}

TEST_F(IniProfileTest, SectionAndKeyNamesIgnoreLetterCaseAndTheStoredSpellingStays) {
  WriteBytes(file, "[Directory]\r\nDir=C:\\a\r\n");
  EXPECT_EQ(profile.ReadString("DIRECTORY", "dIR", "none"), "C:\\a");
  profile.WriteString("directory", "DIR", "C:\\b");
  EXPECT_EQ(ReadBytes(file), "[Directory]\r\nDir=C:\\b\r\n");
}

TEST_F(IniProfileTest, TheFirstOfTwoEqualSectionsOrKeysCounts) {
  WriteBytes(file, "[Files]\r\nFile1=first\r\nfile1=second\r\n[FILES]\r\nFile1=third\r\n");
  EXPECT_EQ(profile.ReadString("Files", "File1", ""), "first");
  profile.WriteString("Files", "FILE1", "new");
  EXPECT_EQ(ReadBytes(file), "[Files]\r\nFile1=new\r\nfile1=second\r\n[FILES]\r\nFile1=third\r\n");
}

TEST_F(IniProfileTest, AReadReturnsAtMost2047CharactersButTheFileKeepsTheWholeValue) {
  const std::string longValue(3000, 'v');
  profile.WriteString("Files", "File1", longValue);
  EXPECT_EQ(profile.ReadString("Files", "File1", "").size(), kMaxProfileValueLength);
  EXPECT_EQ(profile.ReadString("Files", "File2", longValue).size(), kMaxProfileValueLength);
  EXPECT_NE(ReadBytes(file).find(longValue), std::string::npos);
  const std::string exact(kMaxProfileValueLength, 'e');
  profile.WriteString("Files", "File2", exact);
  EXPECT_EQ(profile.ReadString("Files", "File2", ""), exact);
}

TEST_F(IniProfileTest, FailingWritesRaiseUnableToWriteWithTheFileName) {
  IniProfile inMissingFolder(folder / "no such folder" / "Orvanekit.ini");
  try {
    inMissingFolder.WriteString("Directory", "Dir", "C:\\work");
    FAIL() << "no error";
  } catch (const IniWriteError& error) {
    EXPECT_STREQ(error.what(), "Unable to write to Orvanekit.ini");
  }

  // The settings file's name taken by a folder: neither read nor replaced.
  std::filesystem::create_directory(file);
  EXPECT_EQ(profile.ReadString("Directory", "Dir", "none"), "none");
  EXPECT_THROW(profile.WriteString("Directory", "Dir", "C:\\work"), IniWriteError);
  EXPECT_TRUE(std::filesystem::is_directory(file));
  EXPECT_EQ(folder.Entries().size(), 1u) << "no temporary file may stay behind";
}

TEST_F(IniProfileTest, NamesAndValuesThatWouldChangeOtherKeysAreRefused) {
  WriteBytes(file, "[Files]\r\nFile1=a.hex\r\n");
  const std::string before = ReadBytes(file);
  EXPECT_THROW(profile.WriteString("Files", "File2", "b.hex\r\n[Directory]\r\nDir=x"),
               IniWriteError);
  EXPECT_THROW(profile.WriteString("Files", "File2", "b.hex\nFile1=evil"), IniWriteError);
  EXPECT_THROW(profile.WriteString("Fi]les", "File2", "b"), IniWriteError);
  EXPECT_THROW(profile.WriteString("Files", "File=2", "b"), IniWriteError);
  EXPECT_THROW(profile.WriteString("Files", "[File2", "b"), IniWriteError);
  EXPECT_THROW(profile.WriteString("", "File2", "b"), IniWriteError);
  EXPECT_THROW(profile.WriteString("Files", " ", "b"), IniWriteError);
  EXPECT_EQ(ReadBytes(file), before);
}

TEST_F(IniProfileTest, ACrashBetweenWritingAndRenamingLeavesTheOldFileWhole) {
  WriteBytes(file, "[Directory]\r\nDir=C:\\old\r\n");
  const std::string before = ReadBytes(file);
  struct Crash {};
  bool reached = false;
  profile.SetBeforeReplaceHook([&](const std::filesystem::path& temporary) {
    reached = true;
    // The new content is complete on the disk beside the old file, which is still intact.
    EXPECT_EQ(temporary.parent_path(), file.parent_path());
    EXPECT_EQ(ReadBytes(temporary), "[Directory]\r\nDir=C:\\new\r\n");
    EXPECT_EQ(ReadBytes(file), before);
    throw Crash{};
  });
  EXPECT_THROW(profile.WriteString("Directory", "Dir", "C:\\new"), Crash);
  EXPECT_TRUE(reached);
  EXPECT_EQ(ReadBytes(file), before);

  // The next write succeeds and leaves only the settings file in the folder.
  profile.SetBeforeReplaceHook(nullptr);
  profile.WriteString("Directory", "Dir", "C:\\new");
  EXPECT_EQ(ReadBytes(file), "[Directory]\r\nDir=C:\\new\r\n");
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"Orvanekit.ini"});
}

// Found by fuzzing: with two byte-order marks the first parse hid the header behind the second,
// and the written file (without marks) showed it, shadowing the section written after it.
TEST(IniDocumentText, EveryLeadingByteOrderMarkIsDroppedSoAWriteReadsBack) {
  IniDocument doc = IniDocument::Parse("\xEF\xBB\xBF\xEF\xBB\xBF[Files]\nFile1=a\n");
  EXPECT_EQ(doc.Read("Files", "File1", ""), "a");
  doc.Write("Files", "File3", "c");
  EXPECT_EQ(IniDocument::Parse(doc.Format()).Read("Files", "File3", ""), "c");
}

}  // namespace
}  // namespace orvane::app
