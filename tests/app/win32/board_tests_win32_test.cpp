// Each board test through F8 in the real windows, on the in-process virtual board (VIRTUAL, real
// time): the testing window's title, text, bar and OK button, the main window disabled until OK.
#include <windows.h>
// The common controls' header needs the definitions above.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "gui_test_support.h"
#include "sim/line/virtual_board.h"
#include "sim/line/virtual_board_device.h"
#include "sim/line/virtual_board_registry.h"
#include "support/temp_folder.h"
#include "testing/testing_texts.h"

namespace orvane::gui_test {
namespace {

struct WindowCase {
  const char* name;
  int item;
  const char* textEnd;  // how the text ends
  bool bar;             // whether the exchange bar is shown
};

class BoardTestsThroughF8 : public ::testing::TestWithParam<WindowCase> {
 protected:
  BoardTestsThroughF8() { ChooseVirtualPort(program.Form1()); }

  // The test programs lie beside the build's programs, not beside this test program.
  test_support::ScopedCurrentFolder inBuild{ORVANE_BINARY_DIR};
  RunningProgram program;
};

TEST_P(BoardTestsThroughF8, ShowTheirOutcomeUntilOk) {
  const WindowCase& c = GetParam();
  app::TForm1& form1 = program.Form1();
  app::TForm3& form3 = program.Form3();
  form1.rgTestingOption.SetItemIndex(c.item);
  PostMessageA(form1.StatusBar1.Handle(), WM_KEYDOWN, VK_F8, 1);
  ASSERT_TRUE(program.PumpUntil([&] { return form3.Visible() && form3.OkButtonVisible(); }));

  EXPECT_TRUE(program.errorBoxes.empty()) << program.errorBoxes[0].text;
  EXPECT_EQ(form3.PanelText(), boardtest::kBoardTests[c.item].title);
  std::string text = form3.Text();
  // The self-test's last line ends with a line break.
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
  const std::string end = c.textEnd;
  ASSERT_GE(text.size(), end.size()) << text;
  EXPECT_EQ(text.substr(text.size() - end.size()), end) << text;
  EXPECT_EQ(form3.ProgressBarVisible(), c.bar);
  if (c.bar) {
    EXPECT_EQ(SendMessageA(form3.ProgressBar1.Handle(), PBM_GETPOS, 0, 0),
              form3.ProgressBar1.Max());
  }
  EXPECT_FALSE(form1.Enabled());
  EXPECT_FALSE(program.Form2().Visible());
  EXPECT_EQ(form1.StatusBar1.PanelText(ui::kConnectionPanel), "");

  SendMessageA(form3.BitBtn1, BM_CLICK, 0, 0);
  EXPECT_FALSE(form3.Visible());
  EXPECT_FALSE(form3.ProgressBarVisible());
  EXPECT_TRUE(form1.Enabled());
}

INSTANTIATE_TEST_SUITE_P(Windows, BoardTestsThroughF8,
                         ::testing::Values(WindowCase{"Selftest", 0, "Selftest completed", false},
                                           WindowCase{"Port1", 1, "signal at Port1(0..7)", false},
                                           WindowCase{"Ppi", 2, "signal at PortA..PortC", false},
                                           WindowCase{"Serial", 3, "Serial testing done", true},
                                           WindowCase{"Memory", 4, "Memory testing done", true},
                                           WindowCase{"Lcd", 5, "to LCD if connected at LCD Port",
                                                      false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvane::gui_test
