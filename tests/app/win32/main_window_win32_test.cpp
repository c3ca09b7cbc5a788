// The main window after start-up, driven in-process: its frame, every control, the menu, the
// toolbar, the status bar, the shortcuts, ending the program and the top-level error handler.
#include <windows.h>
// The common controls' header needs the definitions above.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/win32/control_ids.h"
#include "gui_test_support.h"
#include "serial/com_port.h"
#include "sim/line/virtual_board.h"
#include "sim/line/virtual_board_device.h"
#include "sim/line/virtual_board_registry.h"
#include "ui/menu/menu_item_data.h"

namespace orvane::gui_test {
namespace {

namespace ids = app::ids;

class MainWindowTest : public ::testing::Test {
 protected:
  RunningProgram program;
  HWND Form1() { return program.Form1().Handle(); }
  HWND Item(int id) { return Control(Form1(), id); }
};

TEST_F(MainWindowTest, FrameIsFixedWithOnlyTheSystemMenuBox) {
  EXPECT_EQ(program.application.Title(), "Orvane Downloader");
  EXPECT_EQ(app::WindowText(Form1()), "Orvane Windows Downloader v1.0.0");
  const SIZE client = ClientSize(Form1());
  EXPECT_EQ(client.cx, 479);
  EXPECT_EQ(client.cy, 239);
  RECT outer{};
  GetWindowRect(Form1(), &outer);
  EXPECT_EQ(outer.left, 165);
  EXPECT_EQ(outer.top, 102);
  const LONG_PTR style = GetWindowLongPtrA(Form1(), GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_TRUE(IsWindowVisible(Form1()));
  EXPECT_TRUE(SendMessageA(Form1(), WM_GETICON, ICON_BIG, 0));
  // The other two windows exist from the start, hidden.
  EXPECT_EQ(program.Form2().Caption(), "Downloading Information");
  EXPECT_FALSE(IsWindowVisible(program.Form2().Handle()));
  EXPECT_EQ(program.Form3().Caption(), "Orvane Testing Information");
  EXPECT_FALSE(IsWindowVisible(program.Form3().Handle()));
}

TEST_F(MainWindowTest, EveryControlSitsWhereDesignedWithItsCaption) {
  struct Expected {
    int id;
    int parentId;  // 0: the window
    const char* className;
    const char* text;
    app::Bounds bounds;  // width/height 0: sized to the text
  };
  const Expected table[] = {
      {ids::kToolBar1, 0, TOOLBARCLASSNAMEA, "", {0, 0, 479, 29}},
      {ids::kGbDownloadOption, 0, "Button", "Download Option", {0, 28, 289, 85}},
      {ids::kCbCOMOption, ids::kGbDownloadOption, "ComboBox", nullptr, {8, 16, 145, 21}},
      {ids::kLCOMOption, ids::kGbDownloadOption, "Static", "COM Option", {160, 22, 0, 0}},
      {ids::kCbBaudrateOption, ids::kGbDownloadOption, "ComboBox", "57600", {8, 40, 145, 21}},
      {ids::kLBaudrateOption,
       ids::kGbDownloadOption,
       "Static",
       "Baudrate Option (bps)",
       {160, 44, 0, 0}},
      {ids::kCbAutoDetect,
       ids::kGbDownloadOption,
       "Button",
       " Auto Detect Option",
       {139, 63, 119, 17}},
      {ids::kCbUSBOption, ids::kGbDownloadOption, "Button", "USB Converter", {8, 64, 97, 17}},
      {ids::kRgTestingOption, 0, "Button", "Testing Option", {0, 113, 121, 105}},
      {ids::kRgDownloadAlg, 0, "Button", "Download Algorithm", {125, 113, 164, 105}},
      {ids::kImage1, 0, "Static", "", {296, 40, 177, 176}},
      {ids::kStatusBar1, 0, STATUSCLASSNAMEA, "", {0, 218, 479, 21}},
  };
  for (const Expected& e : table) {
    SCOPED_TRACE(e.className + std::string(" ") + std::to_string(e.id));
    HWND control = Item(e.id);
    ASSERT_TRUE(control);
    EXPECT_EQ(GetParent(control), e.parentId ? Item(e.parentId) : Form1());
    EXPECT_STRCASEEQ(ClassNameOf(control).c_str(), e.className);
    if (e.text) {
      EXPECT_EQ(app::WindowText(control), e.text);
    }
    const app::Bounds b = app::ChildBounds(control);
    EXPECT_EQ(b.left, e.bounds.left);
    EXPECT_EQ(b.top, e.bounds.top);
    if (e.bounds.width) {
      EXPECT_EQ(b.width, e.bounds.width);
      EXPECT_EQ(b.height, e.bounds.height);
    } else {
      EXPECT_GT(b.width, 0);  // a label as wide as its text
      EXPECT_GT(b.height, 0);
    }
    EXPECT_TRUE(IsWindowVisible(control));
  }
}

TEST_F(MainWindowTest, ComboBoxesStartWithTheFirstPortAndTheDesignedRate) {
  app::TForm1& form = program.Form1();
  const std::vector<std::string> rates = {"2400", "4800", "9600", "19200", "57600"};
  ASSERT_EQ(form.cbBaudrateOption.ItemCount(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(form.cbBaudrateOption.Item(i), rates[i]);
  EXPECT_EQ(form.cbBaudrateOption.ItemIndex(), 4);
  EXPECT_EQ(form.cbBaudrateOption.Text(), "57600");

  // The ports present, sorted without regard to case, the virtual board among them.
  std::vector<std::string> ports;
  serial::ListPorts(ports);
  serial::SortPortNames(ports);
  ASSERT_EQ(form.cbCOMOption.ItemCount(), static_cast<int>(ports.size()));
  bool virtualListed = false;
  for (int i = 0; i < form.cbCOMOption.ItemCount(); ++i) {
    EXPECT_EQ(form.cbCOMOption.Item(i), ports[static_cast<std::size_t>(i)]);
    virtualListed |= form.cbCOMOption.Item(i) == "VIRTUAL";
  }
  EXPECT_TRUE(virtualListed);
  EXPECT_EQ(form.cbCOMOption.ItemIndex(), 0);
  EXPECT_EQ(form.cbCOMOption.Text(), ports.front());
  // Both accept typed text.
  EXPECT_EQ(GetWindowLongPtrA(form.cbCOMOption.Handle(), GWL_STYLE) & 3, CBS_DROPDOWN);
  EXPECT_EQ(GetWindowLongPtrA(form.cbBaudrateOption.Handle(), GWL_STYLE) & 3, CBS_DROPDOWN);
}

TEST_F(MainWindowTest, CheckBoxesAndRadioGroupsStartAtTheirDesignedChoice) {
  app::TForm1& form = program.Form1();
  EXPECT_FALSE(form.cbAutoDetect.Checked());
  EXPECT_FALSE(form.cbUSBOption.Checked());

  const std::vector<std::string> tests = {"Selftest",    "Test Port1",  "Test PPI",
                                          "Test Serial", "Test Memory", "Test LCD"};
  const std::vector<std::string> algorithms = {"Page Download Unverified", "Page Download Verified",
                                               "Byte Download Unverified",
                                               "Byte Download Verified "};
  struct Group {
    app::Win32RadioGroup& group;
    const std::vector<std::string>& items;
  };
  for (const Group& g :
       {Group{form.rgTestingOption, tests}, Group{form.rgDownloadAlg, algorithms}}) {
    ASSERT_EQ(g.group.ItemCount(), static_cast<int>(g.items.size()));
    EXPECT_EQ(g.group.ItemIndex(), 0);
    int lastTop = -1;
    for (int i = 0; i < g.group.ItemCount(); ++i) {
      HWND button = g.group.Button(i);
      EXPECT_EQ(app::WindowText(button), g.items[static_cast<std::size_t>(i)]);
      EXPECT_EQ(SendMessageA(button, BM_GETCHECK, 0, 0), i == 0 ? BST_CHECKED : BST_UNCHECKED);
      // One column, inside the group's frame.
      const app::Bounds b = app::ChildBounds(button);
      EXPECT_EQ(b.left, 8);
      EXPECT_GT(b.top, lastTop);
      lastTop = b.top;
      EXPECT_LE(b.top + b.height, app::ChildBounds(g.group.Handle()).height);
    }
  }

  // A click on another item moves the choice there.
  SendMessageA(form.rgDownloadAlg.Button(3), BM_CLICK, 0, 0);
  EXPECT_EQ(form.rgDownloadAlg.ItemIndex(), 3);
  EXPECT_EQ(form.rgTestingOption.ItemIndex(), 0);
}

TEST_F(MainWindowTest, StatusBarHasFiveEmptyPanelsOfTheDesignedWidthsAndNoSizeGrip) {
  HWND bar = program.Form1().StatusBar1.Handle();
  int edges[8] = {};
  ASSERT_EQ(SendMessageA(bar, SB_GETPARTS, 8, reinterpret_cast<LPARAM>(edges)), 5);
  const int widths[] = {100, 100, 50, 75, 211};
  int left = 0;
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(edges[i] - left, widths[i]) << "panel " << i;
    left = edges[i];
    EXPECT_EQ(program.Form1().StatusBar1.PanelText(i), "");
  }
  EXPECT_FALSE(GetWindowLongPtrA(bar, GWL_STYLE) & SBARS_SIZEGRIP);

  program.Form1().StatusBar1.SetPanelText(4, "prog.hex");
  EXPECT_EQ(program.Form1().StatusBar1.PanelText(4), "prog.hex");
}

TEST_F(MainWindowTest, ToolBarHasThreeImageButtonsWithTheirHints) {
  HWND bar = program.Form1().ToolBar1;
  ASSERT_EQ(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0), 3);
  struct Expected {
    int command;
    int image;
    const char* hint;
  };
  const Expected expected[] = {
      {ids::kOpenDownload, 0, "Open File & Download (F9)"},
      {ids::kRedownload, 16, "Redownload (Ctrl+F9)"},
      {ids::kTesting, 2, "Testing (F8)"},
  };
  // Without this style the tip would draw "Open File  Download (F9)", its "&" taken as a marker.
  HWND tips = reinterpret_cast<HWND>(SendMessageA(bar, TB_GETTOOLTIPS, 0, 0));
  ASSERT_TRUE(tips);
  EXPECT_TRUE(GetWindowLongPtrA(tips, GWL_STYLE) & TTS_NOPREFIX);
  for (int i = 0; i < 3; ++i) {
    TBBUTTON button{};
    ASSERT_TRUE(SendMessageA(bar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button)));
    EXPECT_EQ(button.idCommand, expected[i].command);
    EXPECT_EQ(button.iBitmap, expected[i].image);
    // The tool tip asks the window for the text when it shows.
    NMTTDISPINFOA info{};
    info.hdr.hwndFrom = reinterpret_cast<HWND>(SendMessageA(bar, TB_GETTOOLTIPS, 0, 0));
    info.hdr.idFrom = static_cast<UINT_PTR>(expected[i].command);
    info.hdr.code = TTN_GETDISPINFOA;
    SendMessageA(Form1(), WM_NOTIFY, static_cast<WPARAM>(expected[i].command),
                 reinterpret_cast<LPARAM>(&info));
    ASSERT_TRUE(info.lpszText);
    EXPECT_STREQ(info.lpszText, expected[i].hint);
  }
  EXPECT_EQ(ImageList_GetImageCount(program.Form1().ImageList1()), 17);
}

std::string MenuText(HMENU menu, int position) {
  char text[256] = {};
  GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
  return text;
}

TEST_F(MainWindowTest, MenuHasItsItemsShortcutsAndAnEmptyRecentFilesAtFirstStart) {
  HMENU menu = GetMenu(Form1());
  ASSERT_EQ(GetMenuItemCount(menu), 3);
  EXPECT_EQ(MenuText(menu, 0), "&File");
  EXPECT_EQ(MenuText(menu, 1), "Option");
  EXPECT_EQ(MenuText(menu, 2), "&View");

  HMENU file = GetSubMenu(menu, 0);
  ASSERT_EQ(GetMenuItemCount(file), 5);
  EXPECT_EQ(MenuText(file, 0), "&Open && Download\tF9");
  EXPECT_EQ(MenuText(file, 1), "&Redownload\tCtrl+F9");
  EXPECT_EQ(MenuText(file, 2), "E&xit\tCtrl+X");
  EXPECT_EQ(GetMenuState(file, 3, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
  EXPECT_EQ(MenuText(file, 4), "Recent Files");
  HMENU recent = GetSubMenu(file, 4);
  ASSERT_TRUE(recent);
  EXPECT_EQ(recent, program.Form1().RecentFiles1.Handle());
  EXPECT_EQ(GetMenuItemCount(recent), 0);
  EXPECT_EQ(GetMenuItemID(file, 0), static_cast<UINT>(ids::kOpenDownload));
  EXPECT_EQ(GetMenuItemID(file, 1), static_cast<UINT>(ids::kRedownload));
  EXPECT_EQ(GetMenuItemID(file, 2), static_cast<UINT>(ids::kExit));

  HMENU option = GetSubMenu(menu, 1);
  ASSERT_EQ(GetMenuItemCount(option), 1);
  EXPECT_EQ(MenuText(option, 0), "&Testing\tF8");
  EXPECT_EQ(GetMenuItemID(option, 0), static_cast<UINT>(ids::kTesting));
  HMENU view = GetSubMenu(menu, 2);
  ASSERT_EQ(GetMenuItemCount(view), 3);
  EXPECT_EQ(MenuText(view, 0), "&Serial Terminal");
  EXPECT_EQ(GetMenuItemID(view, 0), static_cast<UINT>(ids::kSerialTerminal));
  EXPECT_EQ(MenuText(view, 1), "&Virtual Board");
  EXPECT_EQ(GetMenuItemID(view, 1), static_cast<UINT>(ids::kVirtualBoard));
  EXPECT_EQ(MenuText(view, 2), "&Debugger");
  EXPECT_EQ(GetMenuItemID(view, 2), static_cast<UINT>(ids::kDebugger));

  // The images of the items, by image-list index, as the window gives them (the flat-look
  // painter keeps them while it draws the items).
  program.Form1().XPMenu1.Deactivate();
  auto image = [](HMENU m, int position) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA | MIIM_BITMAP;
    GetMenuItemInfoA(m, static_cast<UINT>(position), TRUE, &info);
    return info.hbmpItem == HBMMENU_CALLBACK
               ? ui::menu::UnpackMenuItemData(info.dwItemData).imageIndex
               : -1;
  };
  EXPECT_EQ(image(file, 0), 0);
  EXPECT_EQ(image(file, 1), 16);
  EXPECT_EQ(image(file, 2), 6);
  EXPECT_EQ(image(file, 4), 3);
  EXPECT_EQ(image(option, 0), 2);
  EXPECT_EQ(image(view, 0), -1);

  // First start: the open dialog starts in the folder the settings give by default.
  EXPECT_EQ(program.Form1().OpenDialog1.InitialDir(), "none");
  EXPECT_EQ(program.Form1().OpenDialog1.Filter, "Intel HEX Files|*.HEX");
}

TEST(MainWindowStartTest, RecentFilesFromTheSettingsFileNewestOnTop) {
  RunningProgram program({},
                         "[Directory]\r\nDir=C:\\work\r\n[File Count]\r\ncount=2\r\n"
                         "[Files]\r\nFile1=C:\\work\\a.hex\r\nFile2=C:\\work\\b.hex\r\n");
  HMENU recent = program.Form1().RecentFiles1.Handle();
  ASSERT_EQ(GetMenuItemCount(recent), 2);
  EXPECT_EQ(MenuText(recent, 0), "&0 C:\\work\\b.hex");
  EXPECT_EQ(MenuText(recent, 1), "&1 C:\\work\\a.hex");
  // A click reaches RecentFileClick with the item's position.
  EXPECT_EQ(GetMenuItemID(recent, 0), static_cast<UINT>(ids::kRecentFileFirst));
  EXPECT_EQ(GetMenuItemID(recent, 1), static_cast<UINT>(ids::kRecentFileFirst + 1));
  EXPECT_EQ(program.Form1().OpenDialog1.InitialDir(), "C:\\work");
  EXPECT_TRUE(program.Form1().XPMenu1.Active());
  EXPECT_TRUE(program.errorBoxes.empty());
}

TEST_F(MainWindowTest, ShortcutsAreF9CtrlF9CtrlXAndF8) {
  ACCEL table[8] = {};
  const int count = CopyAcceleratorTableA(program.Form1().Accelerators(), table, 8);
  ASSERT_EQ(count, 4);
  auto find = [&](WORD key, bool control) -> int {
    for (int i = 0; i < count; ++i) {
      if (table[i].key == key && ((table[i].fVirt & FCONTROL) != 0) == control &&
          (table[i].fVirt & FVIRTKEY)) {
        return table[i].cmd;
      }
    }
    return -1;
  };
  EXPECT_EQ(find(VK_F9, false), ids::kOpenDownload);
  EXPECT_EQ(find(VK_F9, true), ids::kRedownload);
  EXPECT_EQ(find('X', true), ids::kExit);
  EXPECT_EQ(find(VK_F8, false), ids::kTesting);
}

TEST_F(MainWindowTest, ActivationGivesTheFocusToTheStatusBar) {
  SetForegroundWindow(Form1());
  SetActiveWindow(Form1());
  ASSERT_TRUE(program.PumpUntil([&] { return GetActiveWindow() == Form1(); }));
  EXPECT_EQ(GetFocus(), program.Form1().StatusBar1.Handle());
}

TEST_F(MainWindowTest, CtrlXEndsTheProgramEvenFromTheEditableComboBox) {
  HWND combo = program.Form1().cbCOMOption.Handle();
  HWND edit = GetWindow(combo, GW_CHILD);  // the combo box's edit field
  ASSERT_TRUE(edit);
  const std::string before = program.Form1().cbCOMOption.Text();
  PressWithControl(edit, 'X');
  const bool ended = program.PumpUntil([&] { return program.application.Terminated(); });
  ReleaseControl();
  EXPECT_TRUE(ended);
  // Not a clipboard cut: the text is still there.
  EXPECT_EQ(program.Form1().cbCOMOption.Text(), before);
}

TEST_F(MainWindowTest, ShortcutsDoNothingWhileTheMainWindowIsDisabled) {
  program.Form1().SetEnabled(false);  // as while the progress window is shown
  PressWithControl(program.Form1().StatusBar1.Handle(), 'X');
  program.application.ProcessMessages();
  ReleaseControl();
  EXPECT_FALSE(program.application.Terminated());
  program.Form1().SetEnabled(true);
}

TEST_F(MainWindowTest, ExitAndTheCloseBoxEndTheMessageLoop) {
  PostMessageA(Form1(), WM_COMMAND, ids::kExit, 0);
  EXPECT_TRUE(program.PumpUntil([&] { return program.application.Terminated(); }));
}

TEST_F(MainWindowTest, CloseBoxEndsTheProgramAndDestroyingTheWindowClosesThePort) {
  app::TForm1& form = program.Form1();
  form.ComPort1.SetPort("VIRTUAL");
  form.ComPort1.Open();
  ASSERT_TRUE(form.ComPort1.Connected());
  PostMessageA(Form1(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(program.PumpUntil([&] { return program.application.Terminated(); }));
  // The window stays until the loop has ended; then FormDestroy closes the port.
  EXPECT_TRUE(IsWindow(Form1()));
  auto board = sim::EnableVirtualBoard(true);
  ASSERT_EQ(board->OpenHandles(), 1);
  program.application.DestroyForms();
  EXPECT_EQ(board->OpenHandles(), 0);
}

TEST_F(MainWindowTest, AutoDetectCheckBoxReachesTheBoardLink) {
  app::TForm1& form = program.Form1();
  SendMessageA(form.cbAutoDetect.Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(form.cbAutoDetect.Checked());
  EXPECT_EQ(form.StatusBar1.PanelText(1), "AutoDetect");
  EXPECT_EQ(form.cbCOMOption.Text(), "");
  EXPECT_EQ(form.cbBaudrateOption.Text(), "");
  // A change made by the program is reported the same way.
  form.cbAutoDetect.SetChecked(false);
  EXPECT_EQ(form.StatusBar1.PanelText(1), "");
}

// A window of the program whose handler fails, as a command fails when the port or a file does.
class FailingWindow : public app::Window {
 public:
  explicit FailingWindow(std::function<void()> fail) : fail_(std::move(fail)) {
    CreateTopLevel("failing", WS_POPUP, 0, 0, 0, 10, 10, nullptr, nullptr);
  }
  ~FailingWindow() override { DestroyHandle(); }

 protected:
  bool OnCommand(int, int, HWND) override {
    fail_();
    return true;
  }

 private:
  std::function<void()> fail_;
};

TEST_F(MainWindowTest, AnErrorEndingACommandIsShownAndNoWindowStaysDisabled) {
  FailingWindow failing([] { throw serial::EComPort(serial::CError_OpenFailed, 2); });
  // As in the middle of a download run: the progress window up, the main window disabled.
  program.Form2().SetCloseButtonVisible(false);
  program.Form2().Show();
  program.Form1().SetEnabled(false);
  PostMessageA(failing.Handle(), WM_COMMAND, 1, 0);
  ASSERT_TRUE(program.PumpUntil([&] { return !program.errorBoxes.empty(); }));

  ASSERT_EQ(program.errorBoxes.size(), 1u);
  EXPECT_NE(program.errorBoxes[0].text.find("(win error code: 2)"), std::string::npos)
      << program.errorBoxes[0].text;
  EXPECT_EQ(program.errorBoxes[0].owner, Form1());
  EXPECT_TRUE(program.Form1().Enabled());
  EXPECT_FALSE(program.Form2().Visible());
  EXPECT_FALSE(program.application.Terminated());

  // The program goes on: the next failure is reported the same way.
  FailingWindow fileError([] { throw std::runtime_error("File read error"); });
  PostMessageA(fileError.Handle(), WM_COMMAND, 1, 0);
  ASSERT_TRUE(program.PumpUntil([&] { return program.errorBoxes.size() == 2; }));
  EXPECT_EQ(program.errorBoxes[1].text, "File read error");
  FailingWindow unknown([] { throw 42; });
  PostMessageA(unknown.Handle(), WM_COMMAND, 1, 0);
  ASSERT_TRUE(program.PumpUntil([&] { return program.errorBoxes.size() == 3; }));
  EXPECT_FALSE(program.errorBoxes[2].text.empty());
}

TEST_F(MainWindowTest, AnErrorDuringATestLeavesTheTestingWindowWithItsOkButton) {
  FailingWindow failing([] { throw std::runtime_error("Read error"); });
  program.Form3().SetOkButtonVisible(false);  // as while the self-test runs
  program.Form3().Show();
  program.Form1().SetEnabled(false);
  PostMessageA(failing.Handle(), WM_COMMAND, 1, 0);
  ASSERT_TRUE(program.PumpUntil([&] { return !program.errorBoxes.empty(); }));
  EXPECT_EQ(program.errorBoxes[0].text, "Read error");
  EXPECT_EQ(program.errorBoxes[0].owner, program.Form3().Handle());
  // OK is the way back to the main window.
  EXPECT_TRUE(program.Form3().Visible());
  EXPECT_TRUE(program.Form3().OkButtonVisible());
}

}  // namespace
}  // namespace orvane::gui_test
