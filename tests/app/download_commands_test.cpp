// The download commands on a virtual board, on virtual time: what each command opens, what it
// shows and in which order, what it remembers, and how long the result stays up.
#include <gtest/gtest.h>

#include "board/board_messages.h"
#include "download/hex_loader.h"
#include "serial/com_port.h"
#include "support/command_bench.h"

namespace orvane::app::commands_test {
namespace {

namespace fs = std::filesystem;

std::string ExpectedSettings(const std::string& folder, int count,
                             const std::vector<std::string>& files) {
  std::string text = "[Directory]\r\nDir=" + folder +
                     "\r\n[File Count]\r\ncount=" + std::to_string(count) + "\r\n[Files]\r\n";
  for (std::size_t i = 0; i < files.size(); ++i) {
    text += "File" + std::to_string(i + 1) + "=" + files[i] + "\r\n";
  }
  return text;
}

// ---- Open & Download

TEST(OpenDownload, DownloadsTheChosenFileShowsItsNameAndRemembersIt) {
  CommandBench b;
  const Bytes program = Program(100);
  const std::string file = b.WriteHex(b.folder / "work" / "prog.hex", program);
  b.dialog.choice = file;
  b.commands.OpenDownload1Click();

  EXPECT_TRUE(b.bench.errors.messages.empty());
  EXPECT_EQ(b.BoardMemory(program.size()), program);
  EXPECT_EQ(b.bench.StatusBar1.panels[ui::kFileNamePanel], "prog.hex");
  EXPECT_EQ(b.bench.StatusBar1.panels[ui::kConnectionPanel], "Connected at");
  EXPECT_EQ(b.form2.labelHistory,
            (std::vector<std::string>{"Downloading......please wait", "Downloading succeded"}));
  EXPECT_FALSE(b.form2.Visible());
  EXPECT_TRUE(b.bench.Form1.Enabled());
  EXPECT_EQ(b.bench.Form1.repaints, 1);
  // The settings file as one download writes it from scratch.
  EXPECT_EQ(b.Settings(), ExpectedSettings(FolderOfFileName(file), 1, {file}));
#ifdef _WIN32
  EXPECT_EQ(FolderOfFileName(file), (b.folder / "work").string());
#endif
  EXPECT_EQ(b.menu.Captions(), (std::vector<std::string>{"&0 " + file}));
  EXPECT_EQ(b.initialDir.initialDir, FolderOfFileName(file));
  // The chosen file's folder is now the current folder.
  EXPECT_TRUE(fs::equivalent(fs::current_path(), b.folder / "work"));
}

TEST(OpenDownload, CancellingChangesNothing) {
  CommandBench b;
  b.bench.StatusBar1.SetPanelText(ui::kFileNamePanel, "old.hex");
  const fs::path before = fs::current_path();
  b.commands.OpenDownload1Click();

  EXPECT_EQ(b.dialog.executions, 1);
  EXPECT_TRUE(b.bench.errors.messages.empty());
  EXPECT_FALSE(fs::exists(b.settingsFile));
  EXPECT_TRUE(b.log.empty());
  EXPECT_TRUE(b.bench.openAttempts.empty());
  EXPECT_EQ(b.form2.shows, 0);
  EXPECT_EQ(b.bench.StatusBar1.panels[ui::kFileNamePanel], "old.hex");
  EXPECT_EQ(b.bench.Form1.repaints, 0);
  EXPECT_EQ(fs::current_path(), before);
}

TEST(OpenDownload, ANameWithoutExtensionGetsHexEverywhere) {
  CommandBench b;
  // A dot in a folder name is no extension of the file.
  const Bytes program = Program(20);
  const std::string file = b.WriteHex(b.folder / "v1.2" / "prog.hex", program);
  const std::string typed = (b.folder / "v1.2" / "prog").string();
  b.dialog.choice = typed;
  b.commands.OpenDownload1Click();

  EXPECT_TRUE(b.bench.errors.messages.empty());
  EXPECT_EQ(b.dialog.FileName(), file);
  EXPECT_EQ(b.BoardMemory(program.size()), program);
  EXPECT_EQ(b.bench.StatusBar1.panels[ui::kFileNamePanel], "prog.hex");
  EXPECT_EQ(b.recent.Settings().ReadString("Files", "File1", ""), file);

  // A name that has one keeps it, even a file with no ".hex" at all.
  const std::string other = b.WriteHex(b.folder / "v1.2" / "prog.ihx", program);
  b.dialog.choice = other;
  b.commands.OpenDownload1Click();
  EXPECT_EQ(b.dialog.FileName(), other);
  EXPECT_EQ(b.bench.StatusBar1.panels[ui::kFileNamePanel], "prog.ihx");
}

TEST(OpenDownload, FilesThatCannotBeOpenedOrLoadedAreNotRemembered) {
  struct Case {
    const char* name;
    std::string text;  // nothing written when empty
    const char* message;
  };
  const std::string data = download::FormatHexRecord(0x00, 0x4000, Bytes{1, 2, 3}) + "\r\n";
  std::string badChecksum = data;
  badChecksum[badChecksum.size() - 3] ^= 1;  // the checksum's low digit
  const Case cases[] = {
      {"missing.hex", "", "File not found"},
      {"checksum.hex", badChecksum + ":00000001FF\r\n", "Checksum error"},
      {"below.hex", download::FormatHexFile(Bytes{1, 2, 3}, 0x3FF0), "Address range error"},
      {"empty.hex", ":00000001FF\r\n", "No data to download"},
      // The end-of-file record claims an address beyond program memory.
      {"beyond.hex", data + download::FormatHexRecord(0x01, 0x7000, {}) + "\r\n",
       "Address range error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CommandBench b;
    if (!c.text.empty()) test_support::WriteBytes(b.folder / c.name, c.text);
    int repaintsAtMessage = -1;
    b.bench.errors.onShow = [&](const std::string&) { repaintsAtMessage = b.bench.Form1.repaints; };
    b.dialog.choice = (b.folder / c.name).string();
    b.commands.OpenDownload1Click();

    EXPECT_EQ(b.bench.errors.messages, (std::vector<std::string>{c.message}));
    EXPECT_FALSE(fs::exists(b.settingsFile));
    EXPECT_TRUE(b.log.empty());
    EXPECT_TRUE(b.bench.openAttempts.empty());
    EXPECT_EQ(b.form2.shows, 0);
    EXPECT_FALSE(b.hexFile.IsOpen());
    // The window is repainted once the file opened, before it is loaded.
    EXPECT_EQ(repaintsAtMessage, c.text.empty() ? 0 : 1);
  }
}

TEST(OpenDownload, AReadErrorOfTheLoaderIsNotCaught) {
  CommandBench b;
  // No end-of-file record: the loader reads past the end.
  test_support::WriteBytes(b.folder / "cut.hex",
                           download::FormatHexRecord(0x00, 0x4000, Bytes{1, 2, 3}) + "\r\n");
  b.dialog.choice = (b.folder / "cut.hex").string();
  try {
    b.commands.OpenDownload1Click();
    ADD_FAILURE() << "no error";
  } catch (const download::HexFileError& e) {
    EXPECT_STREQ(e.what(), "Read beyond end of file");
  }
  EXPECT_TRUE(b.bench.errors.messages.empty());
  EXPECT_FALSE(fs::exists(b.settingsFile));
  EXPECT_TRUE(b.bench.openAttempts.empty());
}

TEST(OpenDownload, AReadOnlyFileIsAccepted) {
  CommandBench b;
  const Bytes program = Program(16);
  const std::string file = b.WriteHex(b.folder / "ro.hex", program);
  fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  b.dialog.choice = file;
  b.commands.OpenDownload1Click();
  fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);

  EXPECT_TRUE(b.bench.errors.messages.empty());
  EXPECT_EQ(b.BoardMemory(program.size()), program);
  EXPECT_EQ(b.recent.Count(), 1);
}

TEST(OpenDownload, AFileThatLoadsIsRememberedWhateverTheConnectionGives) {
  const Bytes program = Program(16);
  {
    SCOPED_TRACE("no board at the chosen port");
    CommandBench b;
    b.board->SetConfig([] {
      sim::BoardConfig silent;
      silent.silentAfter = 0;
      return silent;
    }());
    b.bench.StatusBar1.SetPanelText(ui::kFileNamePanel, "old.hex");
    b.dialog.choice = b.WriteHex(b.folder / "a.hex", program);
    b.commands.OpenDownload1Click();
    EXPECT_EQ(b.bench.errors.messages, (std::vector<std::string>{board::kBoardCheckText}));
    EXPECT_EQ(b.form2.shows, 0);
    EXPECT_EQ(b.bench.StatusBar1.panels[ui::kFileNamePanel], "old.hex");
    EXPECT_EQ(b.recent.Count(), 1);
  }
  {
    SCOPED_TRACE("a scan that finds nothing");
    CommandBench b;
    b.bench.AddSilentPort("COM1");
    b.bench.SetPortList({"COM1"});
    b.bench.cbAutoDetect.SetChecked(true);
    b.dialog.choice = b.WriteHex(b.folder / "a.hex", program);
    b.commands.OpenDownload1Click();
    // The scan's own report, and nothing after it.
    EXPECT_EQ(b.bench.errors.messages, (std::vector<std::string>{board::kBoardCheckText}));
    EXPECT_EQ(b.form2.shows, 0);
    EXPECT_EQ(b.recent.Count(), 1);
  }
  {
    SCOPED_TRACE("no port chosen: the file is loaded first");
    CommandBench b;
    b.bench.cbCOMOption.SetText("");
    bool loadedAtMessage = false;
    b.bench.errors.onShow = [&](const std::string&) {
      loadedAtMessage = b.image->EndAddress == 0x4010 && !b.hexFile.IsOpen();
    };
    b.dialog.choice = b.WriteHex(b.folder / "a.hex", program);
    b.commands.OpenDownload1Click();
    EXPECT_EQ(b.bench.errors.messages, (std::vector<std::string>{"Select COM Port and Baudrate"}));
    EXPECT_TRUE(loadedAtMessage);
    EXPECT_TRUE(b.bench.openAttempts.empty());
    EXPECT_EQ(b.recent.Count(), 1);
  }
  {
    SCOPED_TRACE("a transfer that fails");
    CommandBench b;
    b.board->SetConfig([] {
      sim::BoardConfig config;
      config.faultCount = sim::FaultCount::SinceCommand;
      config.silentAfter = 5;
      return config;
    }());
    b.bench.StatusBar1.SetPanelText(ui::kFileNamePanel, "old.hex");
    b.dialog.choice = b.WriteHex(b.folder / "a.hex", program);
    b.commands.OpenDownload1Click();
    EXPECT_TRUE(b.bench.errors.messages.empty());
    EXPECT_EQ(b.form2.LabelText(), "Downloading failure");
    EXPECT_EQ(b.bench.StatusBar1.panels[ui::kFileNamePanel], "old.hex");
    EXPECT_EQ(b.recent.Count(), 1);
  }
}

TEST(OpenDownload, TheResultStaysUpFor750MsThenTheWindowCloses) {
  for (bool fails : {false, true}) {
    SCOPED_TRACE(fails ? "failure" : "success");
    CommandBench b;
    if (fails) {
      sim::BoardConfig config;
      config.faultCount = sim::FaultCount::SinceCommand;
      config.silentAfter = 3;
      b.board->SetConfig(config);
    }
    int pumpsAfterResult = 0;
    b.bench.pump.onRun = [&] { pumpsAfterResult += b.form2.resultAtMs.empty() ? 0 : 1; };
    b.dialog.choice = b.WriteHex(b.folder / "a.hex", Program(64));
    b.commands.OpenDownload1Click();

    ASSERT_EQ(b.form2.resultAtMs.size(), 1u);
    ASSERT_EQ(b.form2.closedAtMs.size(), 1u);
    EXPECT_EQ(b.form2.closedAtMs[0] - b.form2.resultAtMs[0], 750.0);
    EXPECT_EQ(b.form2.LabelText(), fails ? "Downloading failure" : "Downloading succeded");
    EXPECT_GE(b.form2.repaints, 1);
    EXPECT_EQ(pumpsAfterResult, 0);  // the wait lets nothing run
    EXPECT_FALSE(b.form2.Visible());
    EXPECT_TRUE(b.bench.Form1.Enabled());
  }
}

TEST(OpenDownload, ASerialErrorEndsTheCommandAtOnce) {
  std::vector<std::string> shown;
  serial::SetErrorDisplay([&](const std::exception& e) { shown.push_back(e.what()); });
  {
    CommandBench b;
    // The port is pulled in the middle of the transfer.
    b.bench.pump.onRun = [&] {
      sim::BoardConfig config = b.board->Config();
      if (!b.form2.Visible() || config.vanishAfterWrites) return;
      config.vanishAfterWrites = 3;
      b.board->SetConfig(config);
    };
    b.bench.StatusBar1.SetPanelText(ui::kFileNamePanel, "old.hex");
    b.dialog.choice = b.WriteHex(b.folder / "a.hex", Program(64));
    const double start = b.bench.ElapsedMs();
    EXPECT_THROW(b.commands.OpenDownload1Click(), serial::EComPort);
    // The run closed the window and enabled the main window; the command did nothing more.
    EXPECT_FALSE(b.form2.Visible());
    EXPECT_EQ(b.form2.closes, 1);
    EXPECT_TRUE(b.bench.Form1.Enabled());
    EXPECT_LT(b.bench.ElapsedMs() - start, 750.0);
    EXPECT_EQ(b.bench.StatusBar1.panels[ui::kFileNamePanel], "old.hex");
    EXPECT_FALSE(fs::exists(b.settingsFile));
  }
  serial::SetErrorDisplay(nullptr);
}

TEST(OpenDownload, ExitStopsTheCommandAtItsNextStepAndNothingMoreGoesToTheBoard) {
  // Messages run before each scan attempt (five on the silent COM1, then COM3), before the run
  // sends '*', before each page of 64 bytes and before each data byte.
  struct Case {
    const char* step;
    int run;                 // the message run in which Exit is chosen
    std::size_t sentBefore;  // bytes the board had from the host by then
  };
  const Case cases[] = {{"between scan attempts", 2, 0}, {"at the last attempt", 6, 0},
                        {"before the transfer", 7, 2},   {"before the first page", 8, 6},
                        {"within a page", 40, 40},       {"between pages", 73, 73}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    CommandBench b;
    b.bench.AddSilentPort("COM1");
    b.bench.SetPortList({"COM1", "COM3"});
    b.bench.cbAutoDetect.SetChecked(true);
    std::size_t bytesAtExit = 0;
    double exitAtMs = 0;
    b.bench.pump.onRun = [&] {
      if (b.bench.pump.runs != c.run) return;
      b.bench.pump.endRequested = true;
      bytesAtExit = b.board->HostBytes().size();
      exitAtMs = b.bench.ElapsedMs();
    };
    b.commands.LoadAndDownload(b.WriteHex(b.folder / "a.hex", Program(200)), false, false);

    EXPECT_EQ(bytesAtExit, c.sentBefore);
    EXPECT_EQ(b.board->HostBytes().size(), bytesAtExit);
    EXPECT_TRUE(b.bench.errors.messages.empty());  // no box holds the end up
    EXPECT_LT(b.bench.ElapsedMs() - exitAtMs, 1.0);
    EXPECT_FALSE(b.form2.Visible());
    EXPECT_TRUE(b.bench.Form1.Enabled());
  }
}

// ---- Redownload

TEST(Redownload, AtStartUpThereIsNothingToRepeat) {
  CommandBench b;
  b.commands.Redownload1Click();
  EXPECT_EQ(b.bench.errors.messages, (std::vector<std::string>{"No recent file downloaded"}));
  EXPECT_TRUE(b.bench.openAttempts.empty());
  EXPECT_FALSE(fs::exists(b.settingsFile));
}

TEST(Redownload, RepeatsTheDialogsFileByItsBareNameInTheCurrentFolder) {
  CommandBench b;
  const Bytes first = Program(32, 1);
  const std::string file = b.WriteHex(b.folder / "work" / "prog.hex", first);
  b.dialog.choice = file;
  b.commands.OpenDownload1Click();
  ASSERT_EQ(b.BoardMemory(first.size()), first);
  const std::string settings = b.Settings();
  const int repaints = b.bench.Form1.repaints;
  b.log.clear();

  // The file changed after an edit: Redownload sends the new contents.
  const Bytes second = Program(40, 99);
  b.WriteHex(file, second);
  b.commands.Redownload1Click();
  EXPECT_TRUE(b.bench.errors.messages.empty());
  EXPECT_EQ(b.BoardMemory(second.size()), second);
  EXPECT_EQ(b.hexFile.FileName(), "prog.hex");
  EXPECT_EQ(b.Settings(), settings);
  EXPECT_TRUE(b.log.empty());
  EXPECT_EQ(b.bench.Form1.repaints, repaints);
  EXPECT_EQ(b.form2.closes, 2);

  // Another folder's file of the same name is not it.
  fs::remove(file);
  b.WriteHex(b.folder / "prog.hex", second);
  b.commands.Redownload1Click();
  EXPECT_EQ(b.bench.errors.messages, (std::vector<std::string>{"File not found"}));
  EXPECT_EQ(b.form2.shows, 2);
}

// ---- Recent Files

TEST(RecentFileClick, OpensTheUpperCasedWholePathAndChangesOnlyTheFolder) {
  CommandBench b;
  const Bytes program = Program(24);
  // On disk in upper case, so that the upper-cased name finds it on every file system.
  b.WriteHex(b.folder / "SUB DIR" / "PROG.HEX", program);
#ifdef _WIN32
  const std::string entry = (b.folder / "sub dir" / "prog.hex").string();
#else
  // Relative to the current folder: the scratch folder's own path is not upper case here.
  const std::string entry = "sub dir/prog.hex";
#endif
  const std::string other = (b.folder / "other.hex").string();
  b.recent.UpdateRecentFiles(entry);
  b.recent.UpdateRecentFiles(other);
  ASSERT_EQ(b.menu.ItemCaption(1), "&1 " + entry);
  b.log.clear();

  b.commands.RecentFileClick(1);
  const std::string upper = UpperCaseAscii(entry);
  EXPECT_TRUE(b.bench.errors.messages.empty());
  EXPECT_EQ(b.hexFile.FileName(), upper);
  EXPECT_EQ(b.BoardMemory(program.size()), program);
  EXPECT_EQ(b.bench.Form1.repaints, 1);
  // Already listed in another letter case: the list keeps its order, the folder changes.
  EXPECT_EQ(b.Settings(), ExpectedSettings(FolderOfFileName(upper), 2, {entry, other}));
#ifdef _WIN32
  EXPECT_EQ(b.recent.Folder(), UpperCaseAscii((b.folder / "sub dir").string()));
#endif
  EXPECT_EQ(b.menu.Captions(), (std::vector<std::string>{"&0 " + other, "&1 " + entry}));
  // Panel 4 shows the dialog's file, which is none yet.
  EXPECT_EQ(b.bench.StatusBar1.panels[ui::kFileNamePanel], "");
  EXPECT_EQ(b.bench.StatusBar1.history.back(), std::make_pair(ui::kFileNamePanel, std::string()));
}

TEST(RecentFileClick, LeavesPanel4AndRedownloadWithTheDialogsFile) {
  CommandBench b;
  const Bytes chosen = Program(16, 5);
  b.dialog.choice = b.WriteHex(b.folder / "chosen.hex", chosen);
  b.commands.OpenDownload1Click();
  const Bytes recentProgram = Program(16, 77);
  // Upper case on disk and in the list, relative to the current folder.
  b.WriteHex(b.folder / "RECENT.HEX", recentProgram);
  b.recent.UpdateRecentFiles("RECENT.HEX");
  b.commands.RecentFileClick(0);
  ASSERT_EQ(b.BoardMemory(16), recentProgram);
  EXPECT_EQ(b.bench.StatusBar1.panels[ui::kFileNamePanel], "chosen.hex");
  b.commands.Redownload1Click();
  EXPECT_EQ(b.BoardMemory(16), chosen);
  EXPECT_TRUE(b.bench.errors.messages.empty());
}

TEST(RecentFileClick, AnEntryMissingFromTheFileIsNotFound) {
  CommandBench b;
  // A count written by hand beyond the entries present.
  test_support::WriteBytes(b.settingsFile, "[File Count]\r\ncount=1\r\n");
  b.recent.Load();
  ASSERT_EQ(b.menu.Captions(), (std::vector<std::string>{"&0 none"}));
  b.commands.RecentFileClick(0);
  EXPECT_EQ(b.bench.errors.messages, (std::vector<std::string>{"File not found"}));
  EXPECT_EQ(b.hexFile.FileName(), "NONE");
  EXPECT_EQ(b.recent.Count(), 1);
}

TEST(OpenDownload, ASettingsFileThatCannotBeWrittenEndsTheCommandAfterTheDownload) {
  CommandBench b;
  const Bytes program = Program(16);
  b.dialog.choice = b.WriteHex(b.folder / "a.hex", program);
  // A folder where the settings file should be: every write fails.
  fs::create_directories(b.settingsFile);
  try {
    b.commands.OpenDownload1Click();
    ADD_FAILURE() << "no error";
  } catch (const IniWriteError& e) {
    EXPECT_NE(std::string(e.what()).find("Unable to write to"), std::string::npos) << e.what();
  }
  EXPECT_EQ(b.BoardMemory(program.size()), program);
  EXPECT_EQ(b.bench.StatusBar1.panels[ui::kFileNamePanel], "a.hex");
  EXPECT_EQ(b.recent.Count(), 0);
}

// ---- file name helpers

TEST(FileNameHelpers, ExtensionAndNamePartGoByTheLastFolderSeparator) {
  EXPECT_TRUE(HasFileExtension("C:\\work\\prog.hex"));
  EXPECT_FALSE(HasFileExtension("C:\\v1.2\\prog"));
  EXPECT_FALSE(HasFileExtension("C:prog"));
  EXPECT_TRUE(HasFileExtension("C:prog."));
  EXPECT_FALSE(HasFileExtension(""));
  EXPECT_EQ(FileNamePart("C:\\work\\prog.hex"), "prog.hex");
  EXPECT_EQ(FileNamePart("C:prog.hex"), "prog.hex");
  EXPECT_EQ(FileNamePart("prog.hex"), "prog.hex");
  EXPECT_EQ(FileNamePart("C:\\work\\"), "");
  EXPECT_EQ(FileNamePart(""), "");
#ifndef _WIN32
  EXPECT_FALSE(HasFileExtension("/tmp/v1.2/prog"));
  EXPECT_EQ(FileNamePart("/tmp/work/prog.hex"), "prog.hex");
#endif
}

}  // namespace
}  // namespace orvane::app::commands_test
