// The serial terminal's logic on a scripted line: it reads only what arrived and only while no
// command runs, catches up when the command ends, sends keys and pasted chunks, and when the line
// fails it shows the port's message and leaves the port closed for the next command.
#include <gtest/gtest.h>

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

TEST_F(SerialTerminalTest, KeysGoAtOnceAndPastedTextInChunksAtTheLinesPace) {
  port.SetBaudRate(serial::br2400);
  terminal.SetLineEnd(ui::LineEnd::CrLf);
  terminal.Type("a\r");
  EXPECT_EQ(Sent(), "a\r\n");
  line->output.clear();
  // 2400 bit/s: 240 bytes a second, 5 in a 25 ms tick at nine tenths of that; 1 KB takes 5 s.
  EXPECT_EQ(terminal.ChunkSize(), 5u);
  terminal.SetLineEnd(ui::LineEnd::Lf);
  const std::string text = std::string(1000, 'p') + "\r\nend\r\n";
  terminal.Paste(text);
  int ticks = 0;
  while (terminal.PasteWaiting() > 0 && ticks < 1000) {
    if (ticks == 3) {
      // A command meanwhile holds the chunks back.
      commands.Run("testing", [&] { terminal.SendPastedChunk(); });
    }
    terminal.SendPastedChunk();
    ++ticks;
  }
  EXPECT_EQ(Sent(), std::string(1000, 'p') + "\nend\n");
  EXPECT_EQ(ticks, 201);
  EXPECT_EQ(ticks * SerialTerminal::kPasteTickMs / 1000, 5);
  // Fast lines in short bursts.
  port.SetBaudRate(serial::br57600);
  EXPECT_EQ(terminal.ChunkSize(), SerialTerminal::kLongestBurst);
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
