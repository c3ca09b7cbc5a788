// The exchanges with the board after a test has connected: the self-test's answers, and the talk
// with a running test program. None of them lets window messages run.
#include "board/board_protocol.h"
#include "testing/board_tests.h"

namespace orvane::boardtest {
namespace {

// Replaces the first line (all of the text when it has no line break) by `line`.
std::string ReplaceFirstLine(const std::string& text, const std::string& line) {
  const std::size_t end = text.find(kLineBreak);
  return end == std::string::npos ? line : line + text.substr(end);
}

}  // namespace

bool BoardTests::RunSelftestExchange() {
  bool communicated = true;
  // '*' is still in SendByte from the handshake; the command follows it.
  communicated &= link_.WriteSendByte();
  link_.SendByte = board::kSelftestCommand;
  communicated &= link_.WriteSendByte();
  communicated &= link_.WriteSendByte();

  serial::TComTimeouts& timeouts = link_.Port().Timeouts();
  timeouts.SetReadTotalConstant(board::kSelftestAnswerTimeoutMs);
  const bool gotMemory = link_.ReadReceiveByte();
  communicated &= gotMemory;
  if (gotMemory && link_.ReceiveByte == board::kMemoryAt28c64b) Form3_.SetText(kMemoryAt28c64bLine);
  if (gotMemory && link_.ReceiveByte == board::kMemoryAt28c64) Form3_.SetText(kMemoryAt28c64Line);
  // The memory line shows while the board tests itself.
  Form3_.RepaintText();

  timeouts.SetReadTotalConstant(board::kSelftestAnswerTimeoutMs);
  const bool gotResult = link_.ReadReceiveByte();
  communicated &= gotResult;
  const bool completed = gotResult && link_.ReceiveByte == board::kSelftestCompleted;
  if (completed) Form3_.AppendText(std::string(kSelftestCompletedText) + kLineBreak);
  if (gotResult && link_.ReceiveByte == board::kSelftestFailed) {
    Form3_.AppendText(std::string(kSelftestFailedText) + kLineBreak);
  }

  Form3_.SetOkButtonVisible(true);
  if (!communicated) Form3_.SetText(ReplaceFirstLine(Form3_.Text(), kCommunicationFailedText));
  return communicated && completed;
}

void BoardTests::PrepareExchange(int maximum, int readTimeoutMs) {
  // The description shows before the line keeps the program busy.
  Form3_.Repaint();
  controls_.Form1.Repaint();
  ui::ProgressBarView& bar = Form3_.ProgressBar();
  bar.SetMin(0);
  bar.SetMax(maximum);
  bar.SetPosition(0);
  Form3_.SetProgressBarVisible(true);
  link_.Port().Timeouts().SetReadTotalConstant(readTimeoutMs);
}

bool BoardTests::RunEcho() {
  constexpr int kValues = 256;
  PrepareExchange(kValues, board::kEchoProgramTimeoutMs);
  bool allEchoed = true;
  for (int value = 0; value < kValues; ++value) {
    link_.SendByte = static_cast<std::uint8_t>(value);
    link_.WriteSendByte();  // a byte not written shows as a missing echo
    if (!link_.ReadReceiveByte()) {
      allEchoed = false;
      break;
    }
    Form3_.ProgressBar().StepIt();
  }
  // Only the last echo is compared: the others only have to arrive in time.
  const bool passed = allEchoed && link_.ReceiveByte == link_.SendByte;
  Form3_.AppendText(std::string(kResultSeparator) + (passed ? kSerialDoneText : kSerialFailedText));
  return passed;
}

bool BoardTests::RunMemoryReport() {
  // The program reports a quarter of the memory done with each 'L'.
  constexpr int kQuarters = 4;
  PrepareExchange(kQuarters, board::kMemoryReportTimeoutMs);
  bool passed = false;
  for (int ignored = 0; ignored <= kMaxIgnoredReportBytes;) {
    const std::uint8_t report = link_.ReadReceiveByte() ? link_.ReceiveByte : kNoReport;
    if (report == board::kMemoryTestProgress) {
      Form3_.ProgressBar().StepIt();
    } else if (report == board::kMemoryTestSuccess) {
      passed = true;
      break;
    } else if (report == board::kMemoryTestFailure || report == kNoReport) {
      break;
    } else {
      ++ignored;
    }
  }
  Form3_.AppendText(std::string(kResultSeparator) + (passed ? kMemoryDoneText : kMemoryFailedText));
  return passed;
}

}  // namespace orvane::boardtest
