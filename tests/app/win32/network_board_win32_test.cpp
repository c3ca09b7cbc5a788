// The window against a board behind a network serial server: the driver
// (tests/download/wine/run_wine_network_tests.sh) serves orvane-board through ser2net and names
// the address and the image here; it compares the board's memory with the image afterwards. An
// address typed into the port box, key by key, is the port that Open & Download uses. Without
// the driver that test is skipped. The settings file's network boards join the port list.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "app/win32/control_ids.h"
#include "app/win32/open_dialog.h"
#include "gui_test_support.h"

namespace orvane::gui_test {
namespace {

std::vector<std::string> Items(const ui::ComboBoxView& box) {
  std::vector<std::string> items;
  for (int i = 0; i < box.ItemCount(); ++i) items.push_back(box.Item(i));
  return items;
}

// Types `text` into a drop-down combo box as the keyboard would, after emptying it.
void Type(app::Win32ComboBox& box, const std::string& text) {
  box.SetItemIndex(-1);
  HWND edit = FindWindowExA(box.Handle(), nullptr, "Edit", nullptr);
  ASSERT_TRUE(edit);
  for (const char c : text) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
}

// Two boards of one lab host, which differ only at the end of their addresses.
constexpr const char* kLabBoards =
    "[Network]\r\nBoard1=rfc2217://lab-pc.example:4001\r\nBoard2=rfc2217://lab-pc.example:4002\r\n";

TEST(NetworkBoardsInTheWindow, FollowThePortsInAListWideEnoughToTellThemApart) {
  RunningProgram program(app::StartupOptions{}, kLabBoards);
  app::Win32ComboBox& box = program.Form1().cbCOMOption;
  const std::vector<std::string> ports = Items(box);
  ASSERT_GE(ports.size(), 2u);
  EXPECT_EQ(ports[ports.size() - 2], "rfc2217://lab-pc.example:4001");
  EXPECT_EQ(ports.back(), "rfc2217://lab-pc.example:4002");
  RECT closed{};
  GetWindowRect(box.Handle(), &closed);
  EXPECT_GT(SendMessageA(box.Handle(), CB_GETDROPPEDWIDTH, 0, 0), closed.right - closed.left);
}

TEST(WineNetworkBoard, DownloadsToAnAddressTypedIntoThePortBox) {
  const std::string address = Environment("ORVANE_NETWORK_BOARD");
  if (address.empty()) GTEST_SKIP() << "run by tests/download/wine/run_wine_network_tests.sh";
  const std::string image = WindowsPath(Environment("ORVANE_NETWORK_HEX"));
  const app::OpenDialogHook previous = app::SetOpenDialogHook(
      [&image](const app::Win32OpenDialog&) -> std::optional<std::string> { return image; });
  RunningProgram program(app::StartupOptions{}, kLabBoards);
  app::TForm1& form = program.Form1();

  // A longer address than the box is wide is taken whole.
  Type(form.cbCOMOption, address);
  EXPECT_EQ(form.cbCOMOption.Text(), address);
  PostMessageA(form.Handle(), WM_COMMAND, app::ids::kOpenDownload, 0);
  program.application.ProcessMessages();
  EXPECT_TRUE(program.errorBoxes.empty()) << program.errorBoxes.front().text;
  EXPECT_EQ(program.Form2().LabelText(), "Downloading succeded");
  EXPECT_TRUE(form.Enabled());
  app::SetOpenDialogHook(previous);
}

}  // namespace
}  // namespace orvane::gui_test
