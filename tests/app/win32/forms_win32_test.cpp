// The progress window and the testing window: their frames, controls and the progress window's
// view as the download run uses it.
#include <windows.h>
// The common controls' header needs the definitions above.
#include <commctrl.h>
#include <gtest/gtest.h>
#include <richedit.h>

#include "app/win32/control_ids.h"
#include "app/win32/win32_handles.h"
#include "gui_test_support.h"

namespace orvane::gui_test {
namespace {

namespace ids = app::ids;

class FormsTest : public ::testing::Test {
 protected:
  RunningProgram program;
};

// A tool window without a system menu (no close box), owned by the main window.
void ExpectToolWindow(HWND window, HWND mainWindow, int left, int top, int width, int height) {
  const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
  const LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
  EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_FALSE(style & WS_SYSMENU);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_EQ(GetWindow(window, GW_OWNER), mainWindow);
  RECT outer{};
  GetWindowRect(window, &outer);
  EXPECT_EQ(outer.left, left);
  EXPECT_EQ(outer.top, top);
  const SIZE client = ClientSize(window);
  EXPECT_EQ(client.cx, width);
  EXPECT_EQ(client.cy, height);
}

void ExpectBounds(HWND control, int left, int top, int width, int height) {
  const app::Bounds b = app::ChildBounds(control);
  EXPECT_EQ(b.left, left);
  EXPECT_EQ(b.top, top);
  if (width) {
    EXPECT_EQ(b.width, width);
    EXPECT_EQ(b.height, height);
  }
}

LOGFONTA FontOf(HWND control) {
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font;
}

TEST_F(FormsTest, ProgressWindowLayout) {
  app::TForm2& form = program.Form2();
  EXPECT_EQ(form.Caption(), "Downloading Information");
  ExpectToolWindow(form.Handle(), program.Form1().Handle(), 322, 241, 212, 87);
  EXPECT_FALSE(form.Visible());

  ExpectBounds(form.Label1, 8, 10, 0, 0);
  EXPECT_EQ(form.LabelText(), "Downloading.......... Please wait");
  EXPECT_EQ(FontOf(form.Label1).lfWeight, FW_BOLD);

  ExpectBounds(form.pbDownload.Handle(), 5, 36, 202, 13);
  EXPECT_TRUE(GetWindowLongPtrA(form.pbDownload.Handle(), GWL_STYLE) & PBS_SMOOTH);
  EXPECT_EQ(form.pbDownload.Min(), 0);
  EXPECT_EQ(form.pbDownload.Max(), 100);
  EXPECT_EQ(form.pbDownload.Position(), 0);

  ExpectBounds(form.BitBtn1, 74, 57, 65, 24);
  EXPECT_EQ(app::WindowText(form.BitBtn1), "&Close");
  EXPECT_FALSE(form.CloseButtonVisible());
  EXPECT_EQ(Control(form.Handle(), ids::kForm2BitBtn1), form.BitBtn1);
}

TEST_F(FormsTest, ProgressWindowViewDrivesTheRealControls) {
  app::TForm2& form = program.Form2();
  ui::ProgressWindowView& view = form;

  // A longer text widens the label so that none of it is cut.
  const int designed = app::ChildBounds(form.Label1).width;
  view.SetLabelText("Downloading succeded");
  EXPECT_EQ(view.LabelText(), "Downloading succeded");
  EXPECT_LT(app::ChildBounds(form.Label1).width, designed);
  view.SetLabelText("Downloading......please wait, a much longer text");
  EXPECT_GT(app::ChildBounds(form.Label1).width, designed);

  view.SetCloseButtonVisible(true);
  EXPECT_TRUE(view.CloseButtonVisible());

  // The bar never passes its maximum, as a run's last step would otherwise wrap it round.
  ui::ProgressBarView& bar = view.ProgressBar();
  bar.SetMax(3);
  bar.SetPosition(2);
  bar.StepIt();
  bar.StepIt();
  EXPECT_EQ(bar.Position(), 3);
  bar.SetMin(1);
  EXPECT_EQ(bar.Min(), 1);
  EXPECT_EQ(bar.Max(), 3);
  bar.SetMin(0);

  // Showing activates the window: its handler resets it and disables the main window.
  view.Show();
  ASSERT_TRUE(program.PumpUntil([&] { return !program.Form1().Enabled(); }));
  EXPECT_TRUE(view.Visible());
  EXPECT_EQ(view.LabelText(), "Downloading......please wait");
  EXPECT_EQ(bar.Position(), 0);
  EXPECT_EQ(bar.Min(), 0);
  EXPECT_TRUE(view.CloseButtonVisible());
  view.Close();
  EXPECT_FALSE(view.Visible());
  EXPECT_TRUE(program.Form1().Enabled());
  EXPECT_TRUE(IsWindow(form.Handle()));  // only hidden

  // The Close button closes it the same way.
  view.Show();
  ASSERT_TRUE(program.PumpUntil([&] { return !program.Form1().Enabled(); }));
  SendMessageA(form.BitBtn1, BM_CLICK, 0, 0);
  EXPECT_FALSE(view.Visible());
  EXPECT_TRUE(program.Form1().Enabled());
}

TEST_F(FormsTest, TestingWindowLayout) {
  app::TForm3& form = program.Form3();
  EXPECT_EQ(form.Caption(), "Orvane Testing Information");
  ExpectToolWindow(form.Handle(), program.Form1().Handle(), 192, 107, 191, 165);

  ExpectBounds(form.Panel1, 3, 0, 185, 24);
  EXPECT_EQ(form.PanelText(), "");
  EXPECT_EQ(-FontOf(form.Panel1).lfHeight, 13);

  ExpectBounds(form.RichEdit1, 3, 24, 185, 89);
  EXPECT_TRUE(GetWindowLongPtrA(form.RichEdit1, GWL_STYLE) & ES_READONLY);
  CHARFORMAT2A format{};
  format.cbSize = sizeof format;
  SendMessageA(form.RichEdit1, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  EXPECT_TRUE(format.dwEffects & CFE_BOLD);
  EXPECT_STREQ(format.szFaceName, "MS Sans Serif");
  EXPECT_EQ(format.yHeight, 165);  // 11 pixels in twips
  EXPECT_EQ(SendMessageA(form.RichEdit1, EM_GETLINECOUNT, 0, 0), 3);

  ExpectBounds(form.ProgressBar1.Handle(), 3, 114, 185, 16);
  EXPECT_FALSE(form.ProgressBarVisible());
  EXPECT_TRUE(GetWindowLongPtrA(form.ProgressBar1.Handle(), GWL_STYLE) & PBS_SMOOTH);
  EXPECT_EQ(form.ProgressBar1.Max(), 100);

  ExpectBounds(form.BitBtn1, 58, 136, 75, 25);
  EXPECT_EQ(app::WindowText(form.BitBtn1), "OK");
  EXPECT_TRUE(GetWindowLongPtrA(form.BitBtn1, GWL_STYLE) & WS_VISIBLE);
}

TEST_F(FormsTest, TestingWindowTextAccessors) {
  app::TForm3& form = program.Form3();
  form.SetPanelText("PPI Testing");
  EXPECT_EQ(form.PanelText(), "PPI Testing");
  form.SetText("");
  form.AppendText("This test output squarewave\r\nsignal at PortA..PortC");
  form.AppendText("\r\n\r\nSerial testing done");
  EXPECT_EQ(SendMessageA(form.RichEdit1, EM_GETLINECOUNT, 0, 0), 4);
  EXPECT_NE(form.Text().find("Serial testing done"), std::string::npos);
  form.SetProgressBarVisible(true);
  EXPECT_TRUE(GetWindowLongPtrA(form.ProgressBar1.Handle(), GWL_STYLE) & WS_VISIBLE);
  form.SetOkButtonVisible(false);
  EXPECT_FALSE(GetWindowLongPtrA(form.BitBtn1, GWL_STYLE) & WS_VISIBLE);
}

TEST_F(FormsTest, SystemCloseNeverLeavesTheMainWindowLockedOut) {
  // While a run is under way (Close button hidden) Alt+F4 does not close the progress window.
  app::TForm2& form2 = program.Form2();
  form2.SetCloseButtonVisible(false);
  form2.Show();
  SendMessageA(form2.Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(form2.Visible());
  form2.SetCloseButtonVisible(true);
  SendMessageA(form2.Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(form2.Visible());
  EXPECT_TRUE(IsWindow(form2.Handle()));
}

// Makes `window` the active one as the user does by switching programs or clicking a window.
void SwitchTo(RunningProgram& program, HWND window) {
  SetForegroundWindow(window);
  EXPECT_TRUE(program.PumpUntil([&] { return GetActiveWindow() == window; }));
}

TEST_F(FormsTest, SwitchingAwayAndBackLeavesTheWindowsAsTheyWere) {
  app::TForm2& form2 = program.Form2();
  app::TForm3& form3 = program.Form3();
  // Another program's window, or one of ours that is not modal.
  const app::UniqueWindow other(CreateWindowExA(0, "STATIC", "elsewhere", WS_POPUP | WS_VISIBLE,
                                                600, 500, 80, 40, nullptr, nullptr, nullptr,
                                                nullptr));
  form2.Show();
  ASSERT_TRUE(program.PumpUntil([&] { return GetActiveWindow() == form2.Handle(); }));
  EXPECT_EQ(form2.LabelText(), "Downloading......please wait");  // the activation after the show
  form2.pbDownload.SetPosition(60);
  form2.SetLabelText("Downloading succeded");
  SwitchTo(program, other.get());
  SwitchTo(program, form2.Handle());
  EXPECT_EQ(form2.LabelText(), "Downloading succeded");
  EXPECT_EQ(form2.pbDownload.Position(), 60);
  form2.SetCloseButtonVisible(true);
  form2.BitBtn1Click();

  form3.Show();
  ASSERT_TRUE(program.PumpUntil([&] { return GetActiveWindow() == form3.Handle(); }));
  form3.SetText("Selftest passed");
  SwitchTo(program, other.get());
  SwitchTo(program, form3.Handle());
  EXPECT_EQ(form3.Text(), "Selftest passed");
  EXPECT_FALSE(program.Form1().Enabled());
  form3.BitBtn1Click();

  // Shown again, the window starts afresh.
  form2.Show();
  ASSERT_TRUE(program.PumpUntil([&] { return GetActiveWindow() == form2.Handle(); }));
  EXPECT_EQ(form2.LabelText(), "Downloading......please wait");
  EXPECT_EQ(form2.pbDownload.Position(), 0);
  form2.Close();
}

}  // namespace
}  // namespace orvane::gui_test
