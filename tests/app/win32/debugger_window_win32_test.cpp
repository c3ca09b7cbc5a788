// The debugger window on the in-process board: a C program built with its debug data downloaded
// to VIRTUAL, then View > Debugger: pause, a breakpoint through the entry, Restart, the stop
// there with a local, the steps and the next hit by the window's own keys; closing it lets the
// program run on and keeps the breakpoint. Without the virtual board the item is greyed.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "app/win32/control_ids.h"
#include "app/win32/debugger_window.h"
#include "app/win32/open_dialog.h"
#include "gui_test_support.h"
#include "sim/line/virtual_board.h"
#include "sim/line/virtual_board_registry.h"

namespace orvane::gui_test {
namespace {

namespace ids = app::ids;
using app::DebugCommand;
using app::DebuggerPane;

class DebuggerWindowTest : public ::testing::Test {
 protected:
  DebuggerWindowTest() { ChooseVirtualPort(program.Form1()); }
  void Command(int id) {
    PostMessageA(program.Form1().Handle(), WM_COMMAND, static_cast<WPARAM>(id), 0);
    program.application.ProcessMessages();
  }
  // A key typed in a control of the debugger, through the program's own message loop.
  void Key(HWND control, UINT key, bool shift = false) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    // F10 comes as a system key, as Windows sends it.
    const UINT message = key == VK_F10 ? WM_SYSKEYDOWN : WM_KEYDOWN;
    PostMessageA(control, message, key, 1);
    program.application.ProcessMessages();
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
  }
  void Click(HWND button) {
    PostMessageA(button, BM_CLICK, 0, 0);
    program.application.ProcessMessages();
  }
  // Waits until the control's text satisfies `wanted`; the text it had last.
  std::string Awaited(HWND control, const std::function<bool(const std::string&)>& wanted) {
    program.PumpUntil([&] { return wanted(app::WindowText(control)); });
    return app::WindowText(control);
  }
  std::string Shows(HWND control, const std::string& text) {
    return Awaited(control, [&](const std::string& shown) { return shown == text; });
  }
  std::string Begins(HWND control, const std::string& text) {
    return Awaited(control, [&](const std::string& shown) { return shown.starts_with(text); });
  }

  RunningProgram program;
};

TEST_F(DebuggerWindowTest, PausesStopsAtTheEntrysBreakpointAfterRestartStepsAndHitsItAgain) {
  const std::string file =
      WindowsPath(std::string(ORVANE_BINARY_DIR) + "/debug-programs/debugged.hex");
  app::OpenDialogHook previous = app::SetOpenDialogHook(
      [&](const app::Win32OpenDialog&) { return std::optional<std::string>(file); });
  Command(ids::kOpenDownload);
  app::SetOpenDialogHook(std::move(previous));
  ASSERT_TRUE(program.errorBoxes.empty()) << program.errorBoxes[0].text;

  Command(ids::kDebugger);
  app::DebuggerWindow* window = program.Form1().Debugger();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->Visible());
  EXPECT_EQ(window->Caption(), "Orvane Debugger");
  HWND status = window->Status();
  EXPECT_EQ(Shows(status, "running"), "running");
  EXPECT_FALSE(IsWindowEnabled(window->CommandButton(DebugCommand::StepOver)));

  Click(window->CommandButton(DebugCommand::Pause));
  EXPECT_TRUE(Begins(status, "stopped at ").ends_with(": pause")) << app::WindowText(status);
  EXPECT_FALSE(IsWindowEnabled(window->CommandButton(DebugCommand::Pause)));
  const std::string registers = app::WindowText(window->Pane(DebuggerPane::Registers));
  EXPECT_TRUE(registers.starts_with("A ")) << registers;
  EXPECT_NE(registers.find("\r\nPC 4"), std::string::npos) << registers;

  SetWindowTextA(window->BreakpointEntry(), "debugged.c:24");
  Click(window->ToggleButton());
  EXPECT_EQ(app::WindowText(window->Note()), "Breakpoint set at debugged.c:24 (0x4088)");
  Click(window->CommandButton(DebugCommand::Restart));
  EXPECT_EQ(Shows(status, "stopped at 0x4000: entry"), "stopped at 0x4000: entry");

  HWND source = window->Pane(DebuggerPane::Source);
  const std::string hit = "stopped at debugged.c:24 (0x4088): breakpoint";
  Key(source, VK_F5);
  EXPECT_EQ(Shows(status, hit), hit);
  EXPECT_EQ(app::WindowText(window->Pane(DebuggerPane::Locals)), "step = 1");
  EXPECT_NE(app::WindowText(source).find("\r\n*>  24      P1 = step;\r\n"), std::string::npos);

  Key(source, VK_F10);
  EXPECT_TRUE(Begins(status, "stopped at debugged.c:25 (").ends_with(": step"));
  Key(source, VK_F11);  // into pause()
  EXPECT_TRUE(Begins(window->Pane(DebuggerPane::CallStack), "pause debugged.c:")
                  .ends_with("\r\nmain debugged.c:25"))
      << app::WindowText(window->Pane(DebuggerPane::CallStack));
  Key(source, VK_F11, /*shift=*/true);  // out again
  EXPECT_EQ(Begins(window->Pane(DebuggerPane::CallStack), "main "), "main debugged.c:25");
  Key(source, VK_F5);
  EXPECT_EQ(Shows(window->Pane(DebuggerPane::Locals), "step = 2"), "step = 2");
  EXPECT_EQ(app::WindowText(status), hit);
  // The keys were the debugger's: no command of the main window ran.
  EXPECT_TRUE(program.errorBoxes.empty());

  // A register chosen shows its value for editing; set, the local it holds follows.
  HWND registersPane = window->Pane(DebuggerPane::Registers);
  const std::string rows = app::WindowText(registersPane);
  const auto r7 = std::count(rows.begin(), rows.begin() + rows.find("\r\nR7 "), '\n') + 1;
  SendMessageA(registersPane, LB_SETCURSEL, static_cast<WPARAM>(r7), 0);
  SendMessageA(window->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(registersPane), LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(registersPane));
  EXPECT_EQ(app::WindowText(window->ValueEntry()), "02");
  SetWindowTextA(window->ValueEntry(), "1A");
  Click(window->SetButton());
  EXPECT_EQ(Shows(window->Pane(DebuggerPane::Locals), "step = 26"), "step = 26");

  // A download while stopped lets the board go and works as before; the breakpoint stays for
  // the same file and stops the new run at its first round.
  std::shared_ptr<sim::VirtualBoard> board = sim::FindVirtualBoard(sim::kVirtualPortName);
  const int downloads = board->CompletedDownloads();
  Command(ids::kRedownload);
  ASSERT_TRUE(program.errorBoxes.empty()) << program.errorBoxes[0].text;
  EXPECT_EQ(board->CompletedDownloads(), downloads + 1);
  EXPECT_EQ(Shows(window->Pane(DebuggerPane::Locals), "step = 1"), "step = 1");
  EXPECT_EQ(app::WindowText(status), hit);

  // Closed, the program runs on; opened again, the kept breakpoint stops it at once.
  SendMessageA(window->Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(window->Visible());
  const std::uint64_t cycles = board->Snapshot().cycles;
  program.PumpUntil([&] { return board->Snapshot().cycles > cycles + 10000; });
  EXPECT_GT(board->Snapshot().cycles, cycles + 10000);
  Command(ids::kDebugger);
  EXPECT_EQ(Shows(status, hit), hit);
}

TEST(DebuggerMenu, GreyedWithoutTheVirtualBoard) {
  RunningProgram program(app::StartupOptions{});
  HMENU view = GetSubMenu(GetMenu(program.Form1().Handle()), 2);
  EXPECT_NE(GetMenuState(view, ids::kDebugger, MF_BYCOMMAND) & MF_GRAYED, 0u);
}

}  // namespace
}  // namespace orvane::gui_test
