// The serial terminal window on the in-process virtual board (VIRTUAL, real time): a downloaded
// program's output from its first line, the test program's echo of typed keys and of a paste,
// and the window's place and line end kept in the settings file.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/ini_profile.h"
#include "app/win32/control_ids.h"
#include "app/win32/open_dialog.h"
#include "app/win32/terminal_text_box.h"
#include "app/win32/terminal_window.h"
#include "app/win32/virtual_board_window.h"
#include "app/window_settings.h"
#include "gui_test_support.h"
#include "sim/line/virtual_board.h"
#include "sim/line/virtual_board_device.h"
#include "sim/line/virtual_board_registry.h"
#include "support/temp_folder.h"

namespace orvane::gui_test {
namespace {

namespace ids = app::ids;

// Prints "tick N" every 20 ms from its start, for ever.
std::string TickerProgram() {
  return std::string(ORVANE_SOURCE_DIR) + "/tests/download/programs/ticker.ihx";
}

std::vector<std::uint8_t> Bytes(const std::string& text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

void PutOnClipboard(HWND owner, const std::string& text) {
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  ASSERT_TRUE(memory);
  std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
  GlobalUnlock(memory);
  SetClipboardData(CF_TEXT, memory);  // the clipboard owns it now
  CloseClipboard();
}

class SerialTerminalWindowTest : public ::testing::Test {
 protected:
  SerialTerminalWindowTest() {
    previousHook_ = app::SetOpenDialogHook(
        [](const app::Win32OpenDialog&) { return std::optional<std::string>(TickerProgram()); });
    ChooseVirtualPort(program.Form1());
  }
  ~SerialTerminalWindowTest() override { app::SetOpenDialogHook(std::move(previousHook_)); }

  app::TerminalWindow& OpenTerminal() {
    PostMessageA(program.Form1().Handle(), WM_COMMAND, ids::kSerialTerminal, 0);
    EXPECT_TRUE(program.PumpUntil([&] {
      return program.Form1().SerialTerminal() && program.Form1().SerialTerminal()->Visible();
    }));
    return *program.Form1().SerialTerminal();
  }
  bool Shows(app::TerminalWindow& terminal, const std::string& text) {
    return program.PumpUntil([&] { return terminal.ShownText().find(text) != std::string::npos; });
  }
  void Type(app::TerminalWindow& terminal, const std::string& keys) {
    for (char key : keys) PostMessageA(terminal.TextBox(), WM_CHAR, static_cast<WPARAM>(key), 1);
  }

  test_support::ScopedCurrentFolder inBuild{ORVANE_BINARY_DIR};
  RunningProgram program;

 private:
  app::OpenDialogHook previousHook_;
};

TEST_F(SerialTerminalWindowTest, ShowsADownloadedProgramFromItsFirstLine) {
  app::TerminalWindow& terminal = OpenTerminal();
  EXPECT_EQ(terminal.Caption(), "Orvane Serial Terminal");
  EXPECT_EQ(GetWindow(terminal.Handle(), GW_OWNER), program.Form1().Handle());
  PostMessageA(program.Form1().Handle(), WM_COMMAND, ids::kOpenDownload, 0);
  ASSERT_TRUE(Shows(terminal, "tick 3\n"));
  EXPECT_TRUE(program.errorBoxes.empty()) << program.errorBoxes[0].text;
  // Opened on a closed port it said so; then paused for the download, nothing of its exchange,
  // and the program from its first line.
  auto afterFirstLine = [&] {
    const std::string shown = terminal.ShownText();
    EXPECT_EQ(shown.rfind("(the port is closed", 0), 0u) << shown;
    return shown.substr(shown.find('\n') + 1);
  };
  EXPECT_EQ(afterFirstLine().rfind("(paused: downloading)\ntick 0\ntick 1\ntick 2\n", 0), 0u)
      << terminal.ShownText();
  SendMessageA(terminal.HexBox(), BM_CLICK, 0, 0);
  EXPECT_EQ(afterFirstLine().rfind("(paused: downloading)\n74 69 63 6B 20 30 0D 0A\n", 0), 0u);
  SendMessageA(terminal.HexBox(), BM_CLICK, 0, 0);
  SendMessageA(terminal.ClearButton(), BM_CLICK, 0, 0);
  EXPECT_EQ(terminal.ShownText().find("(paused"), std::string::npos);
  ASSERT_TRUE(Shows(terminal, "tick"));

  // Open when the program ends, it keeps the place it had.
  SetWindowPos(terminal.Handle(), nullptr, 100, 120, 500, 320, SWP_NOZORDER | SWP_NOACTIVATE);
  program.application.DestroyForms();
  const app::IniProfile settings(program.settingsFolder.File());
  EXPECT_EQ(settings.ReadString("Windows", "Terminal", ""), "100,120,500,320");
}

TEST_F(SerialTerminalWindowTest, TypedKeysAndAPasteReachTheEchoProgram) {
  app::TForm1& form1 = program.Form1();
  form1.rgTestingOption.SetItemIndex(3);  // Test Serial leaves echo.hex running
  PostMessageA(form1.StatusBar1.Handle(), WM_KEYDOWN, VK_F8, 1);
  ASSERT_TRUE(program.PumpUntil([&] { return program.Form3().OkButtonVisible(); }));
  app::TerminalWindow& terminal = OpenTerminal();           // also while the testing window is up
  SendMessageA(terminal.LineEndBox(), CB_SETCURSEL, 2, 0);  // CR LF
  SendMessageA(terminal.Handle(), WM_COMMAND, MAKEWPARAM(ids::kTerminalLineEnd, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(terminal.LineEndBox()));
  // Keys as a user types them: each one echoed before the next.
  const auto board = sim::EnableVirtualBoard(true);
  board->ClearRecord();
  std::string shown;
  for (char key : std::string("hi\tthere\r")) {
    const std::size_t before = terminal.ShownText().size();
    Type(terminal, std::string(1, key));
    ASSERT_TRUE(program.PumpUntil([&] { return terminal.ShownText().size() > before; }))
        << "no echo of key " << int(key) << "; shown: " << terminal.ShownText();
  }
  ASSERT_TRUE(Shows(terminal, "hi      there\n")) << terminal.ShownText();
  EXPECT_EQ(terminal.ShownText().find("\n\n"), std::string::npos);  // CR LF is one line end
  EXPECT_EQ(board->HostBytes(), Bytes("hi\tthere\r\n"));

  std::string pasted;
  for (int line = 0; line < 40; ++line) pasted += "pasted line " + std::to_string(line) + "\n";
  board->ClearRecord();
  const std::string shownBefore = terminal.ShownText();
  PutOnClipboard(terminal.Handle(), pasted);
  Type(terminal, "\x16");  // Ctrl+V
  // The window goes on taking messages while the chunks go out.
  ASSERT_TRUE(program.PumpUntil([&] { return terminal.Terminal().PasteWaiting() > 0; }));
  ASSERT_TRUE(program.PumpUntil([&] { return terminal.Terminal().PasteWaiting() == 0; }));
  std::string sent = pasted;
  for (std::size_t at = sent.find('\n'); at != std::string::npos; at = sent.find('\n', at + 2))
    sent.insert(at, 1, '\r');
  EXPECT_EQ(board->HostBytes(), Bytes(sent));
  // Every byte comes back, in order.
  program.PumpUntil(
      [&] { return terminal.ShownText().size() >= shownBefore.size() + pasted.size(); });
  EXPECT_EQ(terminal.ShownText(), shownBefore + pasted);
  SendMessageA(program.Form3().BitBtn1, BM_CLICK, 0, 0);

  // The place and the line end are kept for the next start.
  SendMessageA(terminal.Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(terminal.Visible());
  const app::IniProfile settings(program.settingsFolder.File());
  EXPECT_EQ(settings.ReadString("Windows", "TerminalLineEnd", ""), "CR LF");
  EXPECT_TRUE(app::ParseWindowPlace(settings.ReadString("Windows", "Terminal", "")).has_value());
}

TEST_F(SerialTerminalWindowTest, WindowsThatTypeToTheBoardSendCtrlXOnAndKeepTheCommandKeys) {
  app::TForm1& form1 = program.Form1();
  form1.rgTestingOption.SetItemIndex(3);  // Test Serial leaves echo.hex running
  PostMessageA(form1.StatusBar1.Handle(), WM_KEYDOWN, VK_F8, 1);
  ASSERT_TRUE(program.PumpUntil(
      [&] { return program.Form3().Visible() && program.Form3().OkButtonVisible(); }));
  SendMessageA(program.Form3().BitBtn1, BM_CLICK, 0, 0);
  app::TerminalWindow& terminal = OpenTerminal();
  ASSERT_TRUE(IsWindowEnabled(form1.Handle()));
  EXPECT_EQ(app::Window::FromHandle(terminal.Handle()), &terminal);
  form1.VirtualBoard1Click();
  ASSERT_NE(form1.VirtualBoardView(), nullptr);
  int dialogs = 0;
  app::OpenDialogHook previous = app::SetOpenDialogHook([&](const app::Win32OpenDialog&) {
    ++dialogs;
    return std::optional<std::string>();
  });
  const auto board = sim::EnableVirtualBoard(true);
  for (HWND box : {terminal.TextBox(), form1.VirtualBoardView()->SerialPane()}) {
    board->ClearRecord();
    PressWithControl(box, 'X');
    const bool sent = program.PumpUntil([&] { return !board->HostBytes().empty(); });
    ReleaseControl();
    ASSERT_TRUE(sent);
    EXPECT_EQ(board->HostBytes(), std::vector<std::uint8_t>{0x18});
    EXPECT_FALSE(program.application.Terminated());
    const int before = dialogs;
    PostMessageA(box, WM_KEYDOWN, VK_F9, 1);
    EXPECT_TRUE(program.PumpUntil([&] { return dialogs > before; }));
  }
  app::SetOpenDialogHook(std::move(previous));
}

TEST_F(SerialTerminalWindowTest, ActivatingAWindowThatTypesToTheBoardGivesItsTextTheKeyboard) {
  app::TerminalWindow& terminal = OpenTerminal();
  program.Form1().VirtualBoard1Click();
  const app::VirtualBoardWindow& board = *program.Form1().VirtualBoardView();
  for (auto [window, text] : {std::pair(terminal.Handle(), terminal.TextBox()),
                              std::pair(board.Handle(), board.SerialPane())}) {
    // Another window took the activation meanwhile (the progress window during a download).
    for (HWND active : {program.Form1().Handle(), window}) {
      SetForegroundWindow(active);
      ASSERT_TRUE(program.PumpUntil([&] { return GetActiveWindow() == active; }));
    }
    EXPECT_EQ(GetFocus(), text);
  }
}

TEST_F(SerialTerminalWindowTest, BothPanesShowTheLatestLinesOfAProgramThatPrintsForAnHour) {
  app::TerminalWindow& terminal = OpenTerminal();
  program.Form1().VirtualBoard1Click();
  for (HWND box : {terminal.TextBox(), program.Form1().VirtualBoardView()->SerialPane()}) {
    ui::TerminalText text;  // the windows' model: its 64 KB kept, and redrawn from
    std::string lines;
    for (int line = 0; line < 2500; ++line) {
      lines += "line " + std::to_string(line) + " of a program that goes on\n";
      if (line % 100 == 99) app::ShowTerminalChange(box, text.Append(std::exchange(lines, "")));
    }
    EXPECT_TRUE(app::WindowText(box).ends_with("line 2499 of a program that goes on\r\n"));
    // Wine's box takes text put in by the program past its limit, Windows' does not: the limit
    // must hold every kept byte shown as an escape.
    EXPECT_GE(SendMessageA(box, EM_GETLIMITTEXT, 0, 0), 4 * ui::TerminalText::kKeptBytes);
  }
}

// Wholly on one screen's work area.
bool OnAScreen(HWND window) {
  RECT place{};
  GetWindowRect(window, &place);
  MONITORINFO screen{};
  screen.cbSize = sizeof screen;
  if (!GetMonitorInfoA(MonitorFromRect(&place, MONITOR_DEFAULTTONULL), &screen)) return false;
  RECT both{};
  return IntersectRect(&both, &place, &screen.rcWork) && EqualRect(&both, &place);
}

TEST_F(SerialTerminalWindowTest, OpensFirstBesideTheMainWindowAndEveryKeptPlaceOnAScreen) {
  const app::TerminalWindow& terminal = OpenTerminal();
  RECT main{}, shown{}, both{};
  GetWindowRect(program.Form1().Handle(), &main);
  GetWindowRect(terminal.Handle(), &shown);
  EXPECT_FALSE(IntersectRect(&both, &main, &shown));
  EXPECT_TRUE(OnAScreen(terminal.Handle()));
  // Places kept while a second screen stood left and right of this one.
  RunningProgram again({.virtualBoard = true},
                       "[Windows]\r\nTerminal=3000,100,600,380\r\nVirtualBoard=-2000,50,0,0\r\n");
  again.Form1().SerialTerminal1Click();
  again.Form1().VirtualBoard1Click();
  EXPECT_TRUE(OnAScreen(again.Form1().SerialTerminal()->Handle()));
  EXPECT_TRUE(OnAScreen(again.Form1().VirtualBoardView()->Handle()));
}

}  // namespace
}  // namespace orvane::gui_test
