// One case of the fault matrix in the window, against a board on a real COM port: the driver
// (tests/app/win32/wine/run_wine_fault_matrix.sh) serves orvane-board with the fault behind COM7
// and runs this test once per case. Open & Download meets the fault: its message comes within the
// read time-out plus a second, and the main window takes input again. The next download, once the
// board is back, succeeds in the same program. Without the driver the test is skipped.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/win32/control_ids.h"
#include "app/win32/open_dialog.h"
#include "gui_test_support.h"
#include "serial/com_port.h"

namespace orvane::gui_test {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> Split(const std::string& list) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start < list.size()) {
    const std::size_t end = std::min(list.find(';', start), list.size());
    parts.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

template <typename Boxes>
std::string AllTexts(const Boxes& boxes) {
  std::string texts;
  for (const auto& box : boxes) texts += "\n  \"" + box.text + "\"";
  return texts;
}

class WineFaultMatrix : public ::testing::Test {
 protected:
  // Runs Open & Download to its end; the time it took.
  Clock::duration Download() {
    const auto start = Clock::now();
    PostMessageA(program.Form1().Handle(), WM_COMMAND, app::ids::kOpenDownload, 0);
    program.application.ProcessMessages();
    return Clock::now() - start;
  }

  RunningProgram program{app::StartupOptions{}};
};

TEST_F(WineFaultMatrix, TheFaultIsReportedAndTheNextDownloadSucceeds) {
  const std::string name = Environment("ORVANE_FAULT_CASE");
  if (name.empty()) GTEST_SKIP() << "run by tests/app/win32/wine/run_wine_fault_matrix.sh";
  // The starts of the messages shown, in order, split at ';' (none: a failed run).
  const std::vector<std::string> messages = Split(Environment("ORVANE_FAULT_MESSAGE"));
  SCOPED_TRACE(name);
  const app::OpenDialogHook previous =
      app::SetOpenDialogHook([](const app::Win32OpenDialog&) -> std::optional<std::string> {
        return WindowsPath(std::string(ORVANE_SOURCE_DIR) + "/examples/blink.hex");
      });
  app::TForm1& form = program.Form1();
  const std::string port = Environment("ORVANE_TEST_COM_PORT");
  // The port chosen for the first download: the board's, or one that is absent.
  const std::string first =
      Environment("ORVANE_FAULT_PORT").empty() ? port : Environment("ORVANE_FAULT_PORT");
  auto choose = [&form](const std::string& name) {
    form.cbCOMOption.AddItem(name);
    form.cbCOMOption.SetItemIndex(form.cbCOMOption.ItemCount() - 1);
  };
  choose(first);
  form.rgDownloadAlg.SetItemIndex(std::atoi(Environment("ORVANE_FAULT_ALGORITHM").c_str()));

  // The run shows its result for 750 ms; a small program takes well under half a second more.
  auto other = std::make_unique<serial::TComPort>();  // another program that may hold the port
  if (Environment("ORVANE_FAULT_HOLD") == "1") {
    other->SetPort(port);
    other->Open();
  }
  const auto took = Download();
  other.reset();
  choose(port);
  EXPECT_LT(took, std::chrono::milliseconds(750 + 500 + 300 + 1000));
  if (messages.empty()) {
    EXPECT_TRUE(program.errorBoxes.empty()) << AllTexts(program.errorBoxes);
    EXPECT_EQ(program.Form2().LabelText(), "Downloading failure");
  } else {
    ASSERT_EQ(program.errorBoxes.size(), messages.size()) << AllTexts(program.errorBoxes);
    for (std::size_t i = 0; i < messages.size(); ++i) {
      EXPECT_EQ(program.errorBoxes[i].text.rfind(messages[i], 0), 0u) << program.errorBoxes[i].text;
    }
  }
  EXPECT_TRUE(form.Enabled());
  EXPECT_FALSE(program.Form2().Visible());

  // The board is back (sound from its second handshake on; the connection's DTR pulse restarts
  // it even when the faulty run left it in a command or its program running): the same program
  // downloads without being restarted, with nothing to wait for first.
  const std::size_t boxes = program.errorBoxes.size();
  Download();
  EXPECT_EQ(program.errorBoxes.size(), boxes) << AllTexts(program.errorBoxes);
  EXPECT_EQ(program.Form2().LabelText(), "Downloading succeded");
  EXPECT_TRUE(form.Enabled());
  app::SetOpenDialogHook(previous);
}

}  // namespace
}  // namespace orvane::gui_test
