// The flat look in the running program: what the painter hooks in the three windows, that
// deactivating it gives everything back, the tag that keeps it away, and the pixels of an open
// menu against the working colours computed from the system colours.
#include <windows.h>
// The common controls' header needs the definitions above.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <vector>

#include "app/win32/control_ids.h"
#include "gui_test_support.h"
#include "ui/menu/dib_canvas_win32.h"
#include "ui/menu/menu_item_data.h"
#include "ui/menu/tags_win32.h"
#include "ui/menu/xp_menu_manager_win32.h"

namespace orvane::gui_test {
namespace {

namespace ids = app::ids;
using ui::menu::Rgb;

class FlatLookTest : public ::testing::Test {
 protected:
  RunningProgram program;
  ui::menu::TXPMenu& Painter() { return program.Form1().XPMenu1.Painter(); }
  HWND Item(HWND form, int id) { return Control(form, id); }

  // What the painter should hook, window by window.
  std::vector<HWND> MainWindowControls() {
    app::TForm1& f = program.Form1();
    std::vector<HWND> controls = {f.cbCOMOption.Handle(),  f.cbBaudrateOption.Handle(),
                                  f.cbAutoDetect.Handle(), f.cbUSBOption.Handle(),
                                  f.gbDownloadOption,      f.rgTestingOption.Handle(),
                                  f.rgDownloadAlg.Handle()};
    for (const app::Win32RadioGroup* group : {&f.rgTestingOption, &f.rgDownloadAlg}) {
      for (int i = 0; i < group->ItemCount(); ++i) controls.push_back(group->Button(i));
    }
    return controls;
  }
  std::vector<HWND> OtherWindowsControls() {
    return {program.Form2().pbDownload.Handle(),
            program.Form2().BitBtn1,
            program.Form3().Panel1,
            program.Form3().RichEdit1,
            program.Form3().ProgressBar1.Handle(),
            program.Form3().BitBtn1};
  }
  std::vector<HWND> LeftAlone() {
    app::TForm1& f = program.Form1();
    return {f.StatusBar1.Handle(), f.Image1, f.lCOMOption, f.lBaudrateOption,
            program.Form2().Label1};
  }
  UINT ItemType(HMENU menu, int position) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info);
    return info.fType;
  }
  HMENU FileMenu() { return GetSubMenu(GetMenu(program.Form1().Handle()), 0); }
  LONG_PTR ExStyle(HWND window) { return GetWindowLongPtrA(window, GWL_EXSTYLE); }
};

TEST_F(FlatLookTest, ThePainterHooksTheMenusAndControlsOfAllThreeWindows) {
  ASSERT_TRUE(Painter().Active());
  ASSERT_TRUE(
      program.PumpUntil([&] { return ui::menu::TXPMenuManager::Instance().Waiting().empty(); }));
  for (HWND control : MainWindowControls()) EXPECT_TRUE(Painter().Hooks(control)) << control;
  for (HWND control : OtherWindowsControls()) EXPECT_TRUE(Painter().Hooks(control)) << control;
  for (HWND control : LeftAlone()) EXPECT_FALSE(Painter().Hooks(control)) << control;
  EXPECT_EQ(ui::menu::TXPMenuManager::Instance().Lead(), &Painter());
  // Every item at every depth is drawn by the painter, the menu bar's too.
  HMENU bar = GetMenu(program.Form1().Handle());
  EXPECT_TRUE(ItemType(bar, 0) & MFT_OWNERDRAW);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(ItemType(FileMenu(), i) & MFT_OWNERDRAW) << i;
  EXPECT_FALSE(ExStyle(program.Form3().RichEdit1) & WS_EX_CLIENTEDGE);
}

TEST_F(FlatLookTest, DeactivatingGivesBackEverythingAndActivatingHooksAgain) {
  ASSERT_TRUE(
      program.PumpUntil([&] { return ui::menu::TXPMenuManager::Instance().Waiting().empty(); }));
  program.Form1().XPMenu1.Deactivate();
  for (HWND control : MainWindowControls()) EXPECT_FALSE(Painter().Hooks(control));
  for (HWND control : OtherWindowsControls()) EXPECT_FALSE(Painter().Hooks(control));
  EXPECT_TRUE(ui::menu::TXPMenuManager::Instance().Styled().empty());
  EXPECT_TRUE(ExStyle(program.Form3().RichEdit1) & WS_EX_CLIENTEDGE);
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(ItemType(FileMenu(), i) & MFT_OWNERDRAW) << i;
  // The window's own picture of each item came back.
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_BITMAP | MIIM_DATA;
  GetMenuItemInfoA(FileMenu(), 2, TRUE, &info);
  EXPECT_EQ(info.hbmpItem, HBMMENU_CALLBACK);
  EXPECT_EQ(ui::menu::UnpackMenuItemData(info.dwItemData).imageIndex, app::kImageExit);

  program.Form1().XPMenu1.Activate();
  ASSERT_TRUE(
      program.PumpUntil([&] { return ui::menu::TXPMenuManager::Instance().Waiting().empty(); }));
  for (HWND control : MainWindowControls()) EXPECT_TRUE(Painter().Hooks(control));
  for (HWND control : OtherWindowsControls()) EXPECT_TRUE(Painter().Hooks(control));
  EXPECT_TRUE(ItemType(FileMenu(), 0) & MFT_OWNERDRAW);
}

TEST_F(FlatLookTest, UnhookingGivesBackOnlyTheLooksThatHookingChanged) {
  ASSERT_TRUE(
      program.PumpUntil([&] { return ui::menu::TXPMenuManager::Instance().Waiting().empty(); }));
  // Hooked while hidden, shown by a run, then the painter off and on as every Recent Files
  // rebuild does: the Close button stays shown, the testing window's box keeps its edge.
  HWND close = program.Form2().BitBtn1;
  ASSERT_FALSE(IsWindowVisible(close));
  program.Form2().SetCloseButtonVisible(true);
  EnableWindow(program.Form3().RichEdit1, FALSE);
  program.Form1().XPMenu1.Deactivate();
  EXPECT_TRUE(program.Form2().CloseButtonVisible());
  EXPECT_FALSE(IsWindowEnabled(program.Form3().RichEdit1));
  EXPECT_TRUE(ExStyle(program.Form3().RichEdit1) & WS_EX_CLIENTEDGE);
  program.Form1().XPMenu1.Activate();
  ASSERT_TRUE(
      program.PumpUntil([&] { return ui::menu::TXPMenuManager::Instance().Waiting().empty(); }));
  EXPECT_TRUE(program.Form2().CloseButtonVisible());
  EnableWindow(program.Form3().RichEdit1, TRUE);
}

TEST_F(FlatLookTest, TagNineNineNineKeepsThePlatformsLook) {
  app::TForm1& f = program.Form1();
  f.XPMenu1.Deactivate();
  ui::menu::SetTag(f.cbUSBOption.Handle(), ui::menu::kKeepPlatformLook);
  ui::menu::SetTag(f.rgDownloadAlg.Handle(), ui::menu::kKeepPlatformLook);  // and its buttons
  ui::menu::SetTag(program.Form3().Handle(), ui::menu::kKeepPlatformLook);  // a whole window
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_DATA;
  info.dwItemData = static_cast<ULONG_PTR>(
      ui::menu::PackMenuItemData({app::kImageExit, ui::menu::kKeepPlatformLook}));
  SetMenuItemInfoA(FileMenu(), 2, TRUE, &info);
  f.XPMenu1.Activate();
  ASSERT_TRUE(
      program.PumpUntil([&] { return ui::menu::TXPMenuManager::Instance().Waiting().empty(); }));

  EXPECT_FALSE(Painter().Hooks(f.cbUSBOption.Handle()));
  EXPECT_TRUE(Painter().Hooks(f.cbAutoDetect.Handle()));
  EXPECT_FALSE(Painter().Hooks(f.rgDownloadAlg.Handle()));
  EXPECT_FALSE(Painter().Hooks(f.rgDownloadAlg.Button(0)));
  EXPECT_TRUE(Painter().Hooks(f.rgTestingOption.Button(0)));
  EXPECT_FALSE(Painter().Hooks(program.Form3().RichEdit1));
  EXPECT_TRUE(Painter().Hooks(program.Form2().BitBtn1));
  EXPECT_FALSE(ItemType(FileMenu(), 2) & MFT_OWNERDRAW);
  EXPECT_TRUE(ItemType(FileMenu(), 1) & MFT_OWNERDRAW);
}

// ---- pixels of the open File menu ----

struct MenuSample {
  RECT items[5] = {};
  COLORREF selectedFill = 0, selectedFrame = 0, iconColumn = 0, background = 0, separator = 0;
  POINT iconPixel{};  // an opaque pixel of the Exit item's icon, within the icon
  COLORREF icon = 0;
  int step = 0;
};
MenuSample* g_sample = nullptr;
HWND g_form = nullptr;

COLORREF ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return colour;
}

// Runs inside the menu's own loop: selects the first item, then samples and closes the menu.
void CALLBACK SampleOpenMenu(HWND, UINT, UINT_PTR, DWORD) {
  MenuSample& s = *g_sample;
  HMENU file = GetSubMenu(GetMenu(g_form), 0);
  if (s.step++ == 0) {
    PostMessageA(g_form, WM_KEYDOWN, VK_DOWN, 0);
    return;
  }
  if (s.step < 4) return;  // a moment for the selection to be drawn
  // No window given: the item's place in the open popup (Wine would take the given window's).
  for (int i = 0; i < 5; ++i) GetMenuItemRect(nullptr, file, static_cast<UINT>(i), &s.items[i]);
  const RECT& open = s.items[0];  // selected
  const RECT& exit = s.items[2];
  const RECT& separator = s.items[3];
  s.selectedFill = ScreenPixel(open.right - 3, open.top + 3);
  s.selectedFrame = ScreenPixel(open.right - 1, open.top + 1);
  s.iconColumn = ScreenPixel(exit.left + 1, exit.top + 1);
  s.background = ScreenPixel(exit.right - 3, exit.top + 2);
  // The icon of an unselected item: 3 below the top, centred in the 24-pixel column, less 1.
  s.icon = ScreenPixel(exit.left + 3 + s.iconPixel.x, exit.top + 3 + s.iconPixel.y);
  s.separator =
      ScreenPixel(separator.right - 3, separator.top + (separator.bottom - separator.top) / 2);
  EndMenu();
}

TEST_F(FlatLookTest, TheOpenMenuShowsTheWorkingColoursOfTheSystemColours) {
  HWND form = program.Form1().Handle();
  SetForegroundWindow(form);
  const ui::menu::Bitmap exitIcon =
      ui::menu::ImageListBitmap(program.Form1().ImageList1(), app::kImageExit);
  POINT opaque{};
  for (int i = 0; i < exitIcon.Width() * exitIcon.Height(); ++i) {
    opaque = {i % exitIcon.Width(), i / exitIcon.Width()};
    if (exitIcon.At(opaque.x, opaque.y) != exitIcon.TransparentColor()) break;
  }
  const ui::menu::SystemColors system = Painter().CurrentSystemColors();
  auto rgb = [](COLORREF c) { return Rgb{GetRValue(c), GetGValue(c), GetBValue(c)}; };
  for (const int bits : {24, 8}) {
    SCOPED_TRACE(bits);
    const bool high = bits >= 16;
    Painter().SetDisplayBits(bits);
    MenuSample sample;
    sample.iconPixel = opaque;
    g_sample = &sample;
    g_form = form;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, SampleOpenMenu);
    RECT frame{};
    GetWindowRect(form, &frame);
    TrackPopupMenu(FileMenu(), TPM_LEFTALIGN | TPM_TOPALIGN, frame.left + 40, frame.top + 80, 0,
                   form, nullptr);
    KillTimer(nullptr, timer);
    g_sample = nullptr;
    ASSERT_GE(sample.step, 4) << "the menu closed before it was sampled";

    const ui::menu::WorkingColors expected =
        ui::menu::ComputeWorkingColors(ui::menu::MainWindowMenuProperties(), system, high);
    // 23 pixels per item with the window's font; the separator 4.
    EXPECT_EQ(sample.items[0].bottom - sample.items[0].top, 23);
    EXPECT_EQ(sample.items[3].bottom - sample.items[3].top, 4);
    EXPECT_EQ(rgb(sample.selectedFill), expected.selectFill);
    EXPECT_EQ(rgb(sample.selectedFrame), expected.selectBorder);
    EXPECT_EQ(rgb(sample.iconColumn), expected.iconBackground);
    EXPECT_EQ(rgb(sample.background), expected.menuBackground);
    EXPECT_EQ(rgb(sample.separator), expected.separator);
    // Icons of unselected items are dimmed on high-colour displays only.
    const Rgb ink = exitIcon.At(opaque.x, opaque.y);
    EXPECT_EQ(rgb(sample.icon), high ? ui::menu::LightenColor(ink, 30) : ink);
  }
}

}  // namespace
}  // namespace orvane::gui_test
