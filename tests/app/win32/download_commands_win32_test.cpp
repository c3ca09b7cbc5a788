// The download commands through the real windows, to the in-process virtual board (VIRTUAL, real
// time): Open & Download with the open dialog stood in for, the progress window during the run,
// the settings file and the Recent Files sub-menu afterwards, Redownload and a Recent Files click.
#include <windows.h>
// The common controls' header needs the definitions above.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/download_commands.h"
#include "app/ini_profile.h"
#include "app/win32/control_ids.h"
#include "app/win32/open_dialog.h"
#include "download/hex_writer.h"
#include "gui_test_support.h"
#include "sim/line/virtual_board.h"
#include "sim/line/virtual_board_device.h"
#include "sim/line/virtual_board_registry.h"

namespace orvane::gui_test {
namespace {

namespace fs = std::filesystem;
namespace ids = app::ids;
using Bytes = std::vector<std::uint8_t>;

Bytes Program(std::size_t size, std::uint8_t seed) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 13);
  return bytes;
}

// What the progress window and the main window looked like at one moment of a run.
struct Sample {
  bool form2Visible;
  bool form1Enabled;
  bool closeVisible;
  int position;
  int max;
  std::string label;
};

class DownloadCommandsTest : public ::testing::Test {
 protected:
  DownloadCommandsTest() : previousFolder_(fs::current_path()) {
    previousHook_ = app::SetOpenDialogHook([this](const app::Win32OpenDialog&) {
      ++dialogRuns;
      return chosen;
    });
    ChooseVirtualPort(program.Form1());
  }
  ~DownloadCommandsTest() override {
    app::SetOpenDialogHook(std::move(previousHook_));
    std::error_code ignored;
    fs::current_path(previousFolder_, ignored);
  }

  std::string WriteHex(const fs::path& file, const Bytes& program) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << download::FormatHexFile(program, 0x4000);
    return file.string();
  }

  // Posts a menu command and runs the program until it has been handled, sampling the windows
  // every few milliseconds while the command lets messages run.
  void RunCommand(int id) {
    samples.clear();
    current_ = this;
    const UINT_PTR timer = SetTimer(nullptr, 0, 5, &DownloadCommandsTest::TakeSample);
    PostMessageA(program.Form1().Handle(), WM_COMMAND, static_cast<WPARAM>(id), 0);
    program.application.ProcessMessages();
    KillTimer(nullptr, timer);
    current_ = nullptr;
  }

  Bytes BoardMemory(std::size_t size) {
    const auto memory = sim::EnableVirtualBoard(true)->Memory();
    return Bytes(memory.begin(), memory.begin() + static_cast<std::ptrdiff_t>(size));
  }
  fs::path SettingsFile() { return program.settingsFolder.File(); }

  RunningProgram program;
  ScratchFolder files;
  std::optional<std::string> chosen;
  int dialogRuns = 0;
  std::vector<Sample> samples;

 private:
  static void CALLBACK TakeSample(HWND, UINT, UINT_PTR, DWORD) {
    if (!current_) return;
    app::TForm2& form2 = current_->program.Form2();
    // The position the control itself shows.
    const auto shown = static_cast<int>(SendMessageA(form2.pbDownload.Handle(), PBM_GETPOS, 0, 0));
    current_->samples.push_back({form2.Visible(), current_->program.Form1().Enabled(),
                                 form2.CloseButtonVisible(), shown, form2.pbDownload.Max(),
                                 form2.LabelText()});
  }

  static inline DownloadCommandsTest* current_ = nullptr;
  fs::path previousFolder_;
  app::OpenDialogHook previousHook_;
};

TEST_F(DownloadCommandsTest, OpenAndDownloadThenRedownloadThenARecentFile) {
  app::TForm1& form = program.Form1();
  const Bytes first = Program(3000, 1);
  const std::string file = WriteHex(files.Path() / "work" / "prog.hex", first);
  const std::string folder = (files.Path() / "work").string();
  // Typed without its extension.
  chosen = folder + "\\prog";
  RunCommand(ids::kOpenDownload);

  EXPECT_EQ(dialogRuns, 1);
  EXPECT_TRUE(program.errorBoxes.empty()) << program.errorBoxes[0].text;
  EXPECT_EQ(BoardMemory(first.size()), first);
  EXPECT_EQ(form.OpenDialog1.FileName, file);
  EXPECT_EQ(form.StatusBar1.PanelText(0), "Connected at");
  EXPECT_EQ(form.StatusBar1.PanelText(2), "VIRTUAL");
  EXPECT_EQ(form.StatusBar1.PanelText(3), "57600");
  EXPECT_EQ(form.StatusBar1.PanelText(ui::kFileNamePanel), "prog.hex");

  // While the run went on, the bar moved in the shown progress window and the main window took
  // no input.
  std::vector<int> positions;
  for (const Sample& s : samples) {
    if (!s.form2Visible) continue;
    EXPECT_FALSE(s.form1Enabled);
    EXPECT_FALSE(s.closeVisible);
    EXPECT_EQ(s.label, "Downloading......please wait");
    if (positions.empty() || positions.back() != s.position) positions.push_back(s.position);
  }
  EXPECT_GE(positions.size(), 3u);
  EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
  // After it: the result, the full bar, and the window closed again.
  EXPECT_EQ(program.Form2().LabelText(), "Downloading succeded");
  EXPECT_EQ(SendMessageA(program.Form2().pbDownload.Handle(), PBM_GETPOS, 0, 0), 3000);
  EXPECT_EQ(program.Form2().pbDownload.Position(), 3000);
  EXPECT_FALSE(program.Form2().Visible());
  EXPECT_TRUE(form.Enabled());

  // The settings file as one download writes it from scratch, and the sub-menu built from it.
  EXPECT_EQ(program.settingsFolder.Read(),
            "[Directory]\r\nDir=" + folder +
                "\r\n[File Count]\r\ncount=1\r\n[Files]\r\nFile1=" + file + "\r\n");
  ASSERT_EQ(form.RecentFiles1.ItemCount(), 1);
  EXPECT_EQ(form.RecentFiles1.ItemCaption(0), "&0 " + file);
  EXPECT_EQ(form.RecentFiles1.ItemName(0), "name11");
  EXPECT_EQ(GetMenuItemID(form.RecentFiles1.Handle(), 0), static_cast<UINT>(ids::kRecentFileFirst));
  EXPECT_TRUE(form.XPMenu1.Active());
  // Rebuilt with the painter off and on again, the item is the painter's: owner-drawn, and
  // measured by it (23 pixels high with the window's font).
  MENUITEMINFOA item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_FTYPE | MIIM_DATA;
  ASSERT_TRUE(GetMenuItemInfoA(form.RecentFiles1.Handle(), 0, TRUE, &item));
  EXPECT_TRUE(item.fType & MFT_OWNERDRAW);
  MEASUREITEMSTRUCT measure{};
  measure.CtlType = ODT_MENU;
  measure.itemID = GetMenuItemID(form.RecentFiles1.Handle(), 0);
  measure.itemData = item.dwItemData;
  EXPECT_TRUE(SendMessageA(form.Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)));
  EXPECT_EQ(measure.itemHeight, 23u);
  EXPECT_EQ(form.OpenDialog1.InitialDir(), folder);

  // Redownload: the bare name, in the current folder, after an edit of the file.
  const Bytes second = Program(500, 77);
  WriteHex(file, second);
  const std::string settings = program.settingsFolder.Read();
  RunCommand(ids::kRedownload);
  EXPECT_TRUE(program.errorBoxes.empty());
  EXPECT_EQ(form.HexFile.FileName(), "prog.hex");
  EXPECT_EQ(BoardMemory(second.size()), second);
  EXPECT_EQ(program.settingsFolder.Read(), settings);
  EXPECT_FALSE(program.Form2().Visible());

  // The Recent Files item, from another current folder: the whole path, upper-cased.
  const Bytes third = Program(200, 155);
  WriteHex(file, third);
  fs::current_path(files.Path());
  RunCommand(ids::kRecentFileFirst);
  EXPECT_TRUE(program.errorBoxes.empty());
  EXPECT_EQ(form.HexFile.FileName(), app::UpperCaseAscii(file));
  EXPECT_EQ(BoardMemory(third.size()), third);
  EXPECT_EQ(program.settingsFolder.Read(),
            "[Directory]\r\nDir=" + app::UpperCaseAscii(folder) +
                "\r\n[File Count]\r\ncount=1\r\n[Files]\r\nFile1=" + file + "\r\n");
  ASSERT_EQ(form.RecentFiles1.ItemCount(), 1);
  EXPECT_EQ(form.RecentFiles1.ItemCaption(0), "&0 " + file);
  EXPECT_EQ(form.StatusBar1.PanelText(ui::kFileNamePanel), "prog.hex");
}

// Counts the positions a progress bar control is given.
LRESULT CALLBACK CountingBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR counter) {
  if (message == PBM_SETPOS) ++*reinterpret_cast<int*>(counter);
  return DefSubclassProc(window, message, wParam, lParam);
}

TEST_F(DownloadCommandsTest, TheBarRepaintsOnlyWhenItsPictureChanges) {
  // One step per byte of a full image: each position given to the control repaints it at once.
  app::Win32ProgressBar& bar = program.Form2().pbDownload;
  int given = 0;
  ASSERT_TRUE(
      SetWindowSubclass(bar.Handle(), CountingBarProc, 1, reinterpret_cast<DWORD_PTR>(&given)));
  bar.SetMax(8192);
  bar.SetPosition(0);
  given = 0;
  for (int i = 0; i < 8192; ++i) bar.StepIt();
  RECT client{};
  GetClientRect(bar.Handle(), &client);
  EXPECT_LE(given, client.right - client.left + 1);
  EXPECT_GE(given, (client.right - client.left) / 2);
  EXPECT_EQ(bar.Position(), 8192);
  EXPECT_EQ(SendMessageA(bar.Handle(), PBM_GETPOS, 0, 0), 8192);
  // Back to the start, exactly, as every run begins.
  bar.SetPosition(0);
  EXPECT_EQ(SendMessageA(bar.Handle(), PBM_GETPOS, 0, 0), 0);
  RemoveWindowSubclass(bar.Handle(), CountingBarProc, 1);
}

TEST_F(DownloadCommandsTest, MessagesGoToTheErrorBoxAndNothingIsRemembered) {
  RunCommand(ids::kRedownload);
  ASSERT_EQ(program.errorBoxes.size(), 1u);
  EXPECT_EQ(program.errorBoxes[0].text, "No recent file downloaded");
  EXPECT_EQ(program.errorBoxes[0].owner, program.Form1().Handle());

  // Cancelled: nothing at all.
  RunCommand(ids::kOpenDownload);
  EXPECT_EQ(dialogRuns, 1);
  EXPECT_EQ(program.errorBoxes.size(), 1u);

  std::string bad = download::FormatHexRecord(0x00, 0x4000, Bytes{1, 2, 3});
  bad.back() = bad.back() == '0' ? '1' : '0';  // the checksum's low digit
  const fs::path file = files.Path() / "bad.hex";
  std::ofstream(file, std::ios::binary) << bad << "\r\n:00000001FF\r\n";
  chosen = file.string();
  RunCommand(ids::kOpenDownload);
  ASSERT_EQ(program.errorBoxes.size(), 2u);
  EXPECT_EQ(program.errorBoxes[1].text, "Checksum error");
  EXPECT_FALSE(fs::exists(SettingsFile()));
  EXPECT_EQ(program.Form1().RecentFiles1.ItemCount(), 0);
  EXPECT_TRUE(program.Form1().Enabled());
}

TEST_F(DownloadCommandsTest, AReadErrorOfTheFileReachesTheTopLevelHandler) {
  const fs::path file = files.Path() / "cut.hex";
  std::ofstream(file, std::ios::binary)
      << download::FormatHexRecord(0x00, 0x4000, Bytes{1, 2, 3}) << "\r\n";
  chosen = file.string();
  RunCommand(ids::kOpenDownload);
  ASSERT_EQ(program.errorBoxes.size(), 1u);
  EXPECT_EQ(program.errorBoxes[0].text, "Read beyond end of file");
  EXPECT_FALSE(fs::exists(SettingsFile()));
  EXPECT_FALSE(program.application.Terminated());
}

TEST_F(DownloadCommandsTest, NoSecondCommandStartsInsideTheFirstAndExitStopsIt) {
  app::TForm1& form = program.Form1();
  const Bytes image = Program(400, 9);
  chosen = WriteHex(files.Path() / "one.hex", image);
  // With auto-detection the scan lets messages run while the main window still takes input.
  SendMessageA(form.cbAutoDetect.Handle(), BM_CLICK, 0, 0);
  ASSERT_TRUE(form.cbAutoDetect.Checked());
  HWND main = form.Handle();
  PostMessageA(main, WM_COMMAND, ids::kOpenDownload, 0);
  // Asked for while it runs: the shortcut, the menu items, a Recent Files item, then Exit.
  PostMessageA(form.StatusBar1.Handle(), WM_KEYDOWN, VK_F9, 1);
  PostMessageA(main, WM_COMMAND, ids::kRedownload, 0);
  PostMessageA(main, WM_COMMAND, ids::kTesting, 0);
  PostMessageA(main, WM_COMMAND, ids::kRecentFileFirst, 0);
  PostMessageA(main, WM_COMMAND, ids::kExit, 0);
  const auto start = std::chrono::steady_clock::now();
  program.application.ProcessMessages();

  EXPECT_EQ(dialogRuns, 1);
  // The scan stopped at its next attempt: nothing was downloaded, and no box holds up the end.
  EXPECT_TRUE(program.errorBoxes.empty()) << program.errorBoxes[0].text;
  EXPECT_NE(BoardMemory(image.size()), image);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1100));
  EXPECT_FALSE(program.Form2().Visible());
  EXPECT_FALSE(program.Form3().Visible());
  EXPECT_FALSE(form.Commands().Running());
  // The loop ends now that the command has returned.
  EXPECT_TRUE(program.application.Terminated());
  EXPECT_TRUE(IsWindow(main));
}

}  // namespace
}  // namespace orvane::gui_test
