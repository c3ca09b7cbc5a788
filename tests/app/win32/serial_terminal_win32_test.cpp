// The serial terminal window on the in-process virtual board (VIRTUAL, real time): a downloaded
// program's output from its first line, the test program's echo of typed keys and of a paste,
// and the window's place and line end kept in the settings file.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/ini_profile.h"
#include "app/open_dialog.h"
#include "app/terminal_window.h"
#include "app/window_settings.h"
#include "gui_test_support.h"
#include "sim/virtual_board.h"
#include "support/temp_folder.h"

namespace orvane::gui_test {
namespace {

namespace ids = app::ids;

// Prints "tick N" every 20 ms from its start, for ever.
std::string TickerProgram() {
  return std::string(ORVANE_SOURCE_DIR) + "/tests/transfer/programs/ticker.ihx";
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
    app::TForm1& form = program.Form1();
    for (int i = 0; i < form.cbCOMOption.ItemCount(); ++i) {
      if (form.cbCOMOption.Item(i) == sim::kVirtualPortName) form.cbCOMOption.SetItemIndex(i);
    }
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
  const app::IniProfile settings(program.settingsFolder.Path() / app::kSettingsFileName);
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
    ASSERT_TRUE(program.PumpUntil([&] { return terminal.ShownText().size() > before; }));
  }
  ASSERT_TRUE(Shows(terminal, "hi      there\n")) << terminal.ShownText();
  EXPECT_EQ(terminal.ShownText().find("\n\n"), std::string::npos);  // CR LF is one line end
  EXPECT_EQ(board->HostBytes(), Bytes("hi\tthere\r\n"));

  std::string pasted;
  for (int line = 0; line < 40; ++line) pasted += "pasted line " + std::to_string(line) + "\n";
  board->ClearRecord();
  PutOnClipboard(terminal.Handle(), pasted);
  Type(terminal, "\x16");  // Ctrl+V
  // The window goes on taking messages while the chunks go out.
  ASSERT_TRUE(program.PumpUntil([&] { return terminal.Terminal().PasteWaiting() > 0; }));
  ASSERT_TRUE(program.PumpUntil([&] { return terminal.Terminal().PasteWaiting() == 0; }));
  std::string sent = pasted;
  for (std::size_t at = sent.find('\n'); at != std::string::npos; at = sent.find('\n', at + 2))
    sent.insert(at, 1, '\r');
  EXPECT_EQ(board->HostBytes(), Bytes(sent));
  // The echo follows (the virtual board, short of processor time, may drop a byte now and then).
  ASSERT_TRUE(Shows(terminal, "pasted line 0\npasted line 1\n")) << terminal.ShownText();
  SendMessageA(program.Form3().BitBtn1, BM_CLICK, 0, 0);

  // The place and the line end are kept for the next start.
  SendMessageA(terminal.Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(terminal.Visible());
  const app::IniProfile settings(program.settingsFolder.Path() / app::kSettingsFileName);
  EXPECT_EQ(settings.ReadString("Windows", "TerminalLineEnd", ""), "CR LF");
  EXPECT_TRUE(app::ParseWindowPlace(settings.ReadString("Windows", "Terminal", "")).has_value());
}

}  // namespace
}  // namespace orvane::gui_test
