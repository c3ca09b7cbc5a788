// The serial terminal's logic on a scripted line: it reads only what arrived and only while no
// command runs, catches up when the command ends, sends keys and pasted chunks, and when the line
// fails it shows the port's message and leaves the port closed for the next command.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "app/serial_terminal.h"
#include "support/scripted_com_device.h"

namespace orvane::app {
namespace {

using test_support::ScriptedLine;

struct TextDisplay : TerminalDisplay {
  std::string text;
  void ShowChange(const ui::TerminalText::Change& change) override {
    text = change.redraw ? change.text : text + change.text;
  }
};

class SerialTerminalTest : public ::testing::Test {
 protected:
  SerialTerminalTest() : port(test_support::ScriptedOpener(line)) {
    port.SetEvents({});  // the test raises the received-bytes event itself
    port.Open();
    terminal.SetFollowing(true);
  }
  void Arrive(const std::string& bytes) {
    line->input.insert(line->input.end(), bytes.begin(), bytes.end());
  }
  std::string Sent() const { return std::string(line->output.begin(), line->output.end()); }

  std::shared_ptr<ScriptedLine> line = std::make_shared<ScriptedLine>();
  serial::TComPort port;
  ui::CommandGuard commands;
  TextDisplay display;
  SerialTerminal terminal{port, commands, display};
};

TEST_F(SerialTerminalTest, ReadsNothingWhileACommandRunsAndCatchesUpWhenItEnds) {
  Arrive("Hi\r");
  port.OnRxChar(port, 3);
  EXPECT_EQ(display.text, "Hi\n");
  commands.Run("downloading", [&] {
    Arrive("*");  // the board's answer: the command's, not the terminal's
    terminal.ReadArrived();
    EXPECT_EQ(line->input.size(), 1u);
    line->input.clear();
    // The program greets the user the moment it starts, before the command has ended.
    Arrive("Hello, student\r\n");
    terminal.ReadArrived();
    terminal.Type("x");
  });
  EXPECT_EQ(display.text, "Hi\n(paused: downloading)\nHello, student\n");
  EXPECT_TRUE(line->input.empty());
  EXPECT_EQ(Sent(), "");
  // Hidden, it leaves the bytes for whoever reads them; shown again, it reads them.
  terminal.SetFollowing(false);
  Arrive("later");
  terminal.ReadArrived();
  EXPECT_EQ(line->input.size(), 5u);
  terminal.SetFollowing(true);
  EXPECT_EQ(display.text, "Hi\n(paused: downloading)\nHello, student\nlater");
}

TEST_F(SerialTerminalTest, KeysGoAtOnceAndPastedTextInBurstsALittleBelowTheLinesPace) {
  terminal.SetLineEnd(ui::LineEnd::CrLf);
  terminal.Type("a\r");
  EXPECT_EQ(Sent(), "a\r\n");
  terminal.SetLineEnd(ui::LineEnd::Lf);
  const std::string text = std::string(1000, 'p') + "\r\nend\r\n";
  // Every rate the window lists; 1 KB takes about 5 s at 2400 bit/s.
  for (auto [rate, lineBytesPerSecond] : {std::pair(serial::br2400, 240),
                                          {serial::br9600, 960},
                                          {serial::br19200, 1920},
                                          {serial::br57600, 5760}}) {
    SCOPED_TRACE(lineBytesPerSecond);
    port.SetBaudRate(rate);
    line->output.clear();
    terminal.Paste(text);
    // Ticks of a millisecond; each burst goes once the line has carried the last one and a
    // pause after it, for an echoing board to catch up.
    int ms = 0;
    double lineFreeAtMs = 0;
    std::vector<std::string> wrong;
    while (terminal.PasteWaiting() > 0 && ms < 10000) {
      if (ms == 3) commands.Run("testing", [&] { terminal.SendPastedChunk(); });  // held back
      const std::size_t before = line->output.size();
      terminal.SendPastedChunk();
      if (const std::size_t burst = line->output.size() - before; burst > 0) {
        if (burst > SerialTerminal::kLongestBurst) wrong.push_back("a long burst");
        if (ms < lineFreeAtMs) wrong.push_back("no pause at " + std::to_string(ms));
        lineFreeAtMs = ms + burst * 1000.0 / lineBytesPerSecond * 1.1;
      }
      ++ms;
    }
    EXPECT_TRUE(wrong.empty()) << wrong.front();
    EXPECT_EQ(Sent(), std::string(1000, 'p') + "\nend\n");
    const double pace = Sent().size() * 1000.0 / ms;
    EXPECT_GT(pace, 0.75 * lineBytesPerSecond);
    EXPECT_LT(pace, 0.91 * lineBytesPerSecond);
  }
}

TEST_F(SerialTerminalTest, AFailedReadShowsThePortsMessageAndClosesThePort) {
  Arrive("ab");
  line->failures["Read"] = 109;
  terminal.ReadArrived();
  EXPECT_FALSE(port.Connected());
  const std::string message = serial::EComPort(serial::CError_ReadFailed, 109).what();
  EXPECT_EQ(display.text, message + "\n");
  // Keys now go nowhere, and say so once.
  terminal.Type("x");
  terminal.Type("y");
  EXPECT_EQ(display.text.find("(the port is closed"), display.text.rfind("(the port is closed"));
  // The next command opens the port anew.
  line->failures.clear();
  port.Open();
  EXPECT_TRUE(port.Connected());
  terminal.Type("z");
  EXPECT_EQ(Sent(), "z");
  // Opened on a closed port, the window says so at once.
  port.Close();
  terminal.SetFollowing(false);
  display.text.clear();
  terminal.SetFollowing(true);
  EXPECT_EQ(display.text.find("(the port is closed"), 0u);
}

}  // namespace
}  // namespace orvane::app
