// The live board window after a download to the in-process board: each picture control's window
// text says what it shows, in the plain-text frame's words; Reset puts the board back in its
// monitor; without the virtual board the menu item is greyed.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/win32/control_ids.h"
#include "app/win32/open_dialog.h"
#include "app/win32/virtual_board_window.h"
#include "app/win32/win32_window.h"
#include "download/hex_writer.h"
#include "gui_test_support.h"
#include "sim/line/virtual_board.h"
#include "sim/line/virtual_board_device.h"
#include "sim/line/virtual_board_registry.h"

namespace orvane::gui_test {
namespace {

namespace ids = app::ids;
using Window = app::VirtualBoardWindow;

// P1 = 11100110, PPI all outputs with A = 01011010, "Hi" on the display (with the controller's
// busy time waited out), 'K' on the serial line, then a jump to itself.
const std::vector<std::uint8_t> kProgram = {
    0x75, 0x90, 0xE6,                          // mov p1,#0xE6
    0x90, 0x20, 0x03, 0x74, 0x80, 0xF0,        // mov dptr,#ppi_ctl; mov a,#0x80; movx @dptr,a
    0x90, 0x20, 0x00, 0x74, 0x5A, 0xF0,        // mov dptr,#ppi_a; mov a,#0x5A; movx @dptr,a
    0x90, 0x30, 0x00,                          // mov dptr,#lcd_cmd
    0x74, 0x38, 0xF0, 0x7F, 0x32, 0xDF, 0xFE,  // function set, then wait 100 cycles
    0x74, 0x0C, 0xF0, 0x7F, 0x32, 0xDF, 0xFE,  // display on
    0x90, 0x30, 0x01,                          // mov dptr,#lcd_data
    0x74, 'H',  0xF0, 0x7F, 0x32, 0xDF, 0xFE,  //
    0x74, 'i',  0xF0,                          //
    0x75, 0x99, 'K',                           // mov sbuf,#'K'
    0x80, 0xFE,                                // sjmp .
};

class VirtualBoardWindowTest : public ::testing::Test {
 protected:
  VirtualBoardWindowTest() { ChooseVirtualPort(program.Form1()); }
  void Command(int id) {
    PostMessageA(program.Form1().Handle(), WM_COMMAND, static_cast<WPARAM>(id), 0);
    program.application.ProcessMessages();
  }
  // Waits until the control's text is `text`; the text it had last otherwise.
  std::string Shows(HWND control, const std::string& text) {
    program.PumpUntil([&] { return app::WindowText(control) == text; });
    return app::WindowText(control);
  }

  RunningProgram program;
  ScratchFolder files;
};

TEST_F(VirtualBoardWindowTest, ShowsWhatTheDownloadedProgramDrivesAndResetsToTheMonitor) {
  const std::string file = (files.Path() / "hi.hex").string();
  std::ofstream(file, std::ios::binary) << download::FormatHexFile(kProgram, 0x4000);
  app::OpenDialogHook previous = app::SetOpenDialogHook(
      [&](const app::Win32OpenDialog&) { return std::optional<std::string>(file); });
  Command(ids::kOpenDownload);
  app::SetOpenDialogHook(std::move(previous));
  ASSERT_TRUE(program.errorBoxes.empty()) << program.errorBoxes[0].text;

  Command(ids::kVirtualBoard);
  Window* window = program.Form1().VirtualBoardView();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->Visible());
  EXPECT_EQ(window->Caption(), "Orvane Virtual Board");
  EXPECT_EQ(Shows(window->PinRow(Window::kP1), "P1    11100110"), "P1    11100110");
  EXPECT_EQ(Shows(window->PinRow(Window::kPpiA), "PPI A 01011010"), "PPI A 01011010");
  const std::string lcd = "LCD 1 |Hi              |\r\nLCD 2 |                |";
  EXPECT_EQ(Shows(window->Lcd(), lcd), lcd);
  EXPECT_EQ(Shows(window->SerialPane(), "K"), "K");

  // No reset while a command uses the port.
  program.Form1().Commands().Run("testing", [&] {
    window->Refresh();
    EXPECT_FALSE(IsWindowEnabled(window->ResetButton()));
  });
  window->Refresh();
  EXPECT_TRUE(IsWindowEnabled(window->ResetButton()));

  // Reset: the board in its monitor drives nothing, and the PPI's lines read their switches.
  SendMessageA(window->ResetButton(), BM_CLICK, 0, 0);
  EXPECT_EQ(Shows(window->PinRow(Window::kP1), "P1    11111111"), "P1    11111111");
  EXPECT_EQ(Shows(window->PinRow(Window::kPpiA), "PPI A 11111111"), "PPI A 11111111");
  EXPECT_EQ(Shows(window->SerialPane(), ""), "");

  // Closed, it hides, keeps its place in the settings file and comes back with the same item.
  SetWindowPos(window->Handle(), nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  PostMessageA(window->Handle(), WM_CLOSE, 0, 0);
  program.application.ProcessMessages();
  EXPECT_FALSE(window->Visible());
  std::ifstream settings(program.settingsFolder.File());
  const std::string kept((std::istreambuf_iterator<char>(settings)), {});
  EXPECT_NE(kept.find("[Windows]"), std::string::npos) << kept;
  EXPECT_NE(kept.find("VirtualBoard=40,50,"), std::string::npos) << kept;
  Command(ids::kVirtualBoard);
  EXPECT_EQ(program.Form1().VirtualBoardView(), window);
  EXPECT_TRUE(window->Visible());
}

TEST(VirtualBoardMenuTest, TheItemIsGreyedAndOpensNothingWithoutTheVirtualBoard) {
  for (bool virtualBoard : {false, true}) {
    RunningProgram program({.virtualBoard = virtualBoard});
    const UINT state = GetMenuState(program.Form1().MainMenu1, ids::kVirtualBoard, MF_BYCOMMAND);
    EXPECT_EQ((state & MF_GRAYED) != 0, !virtualBoard);
    program.Form1().VirtualBoard1Click();
    EXPECT_EQ(program.Form1().VirtualBoardView() != nullptr, virtualBoard);
  }
}

}  // namespace
}  // namespace orvane::gui_test
