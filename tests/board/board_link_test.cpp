// The board link over the real serial port object and virtual boards, on virtual time.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "board/board_messages.h"
#include "board/board_protocol.h"
#include "support/board_bench.h"
#include "support/com_error_expectations.h"

namespace orvane::board {
namespace {

using sim::LineEvent;
using sim::LineEventKind;
using test_support::BoardBench;

std::optional<LineEvent> FirstEvent(const std::vector<LineEvent>& record, LineEventKind kind) {
  auto it = std::find_if(record.begin(), record.end(),
                         [&](const LineEvent& e) { return e.kind == kind; });
  if (it == record.end()) return std::nullopt;
  return *it;
}

std::optional<LineEvent> LastEvent(const std::vector<LineEvent>& record, LineEventKind kind) {
  auto it = std::find_if(record.rbegin(), record.rend(),
                         [&](const LineEvent& e) { return e.kind == kind; });
  if (it == record.rend()) return std::nullopt;
  return *it;
}

// The (port, rate) of every scan attempt, as the status bar showed them.
std::vector<std::pair<std::string, std::string>> Attempts(const BoardBench& bench) {
  std::vector<std::pair<std::string, std::string>> attempts;
  std::string port;
  for (const auto& [panel, text] : bench.StatusBar1.history) {
    if (panel == ui::kPortPanel) port = text;
    if (panel == ui::kBaudRatePanel && !text.empty()) attempts.emplace_back(port, text);
  }
  return attempts;
}

// ---- ConnectBoard

TEST(ConnectBoard, HandshakeWithABoardLeavesThePortOpenAndStarInSendByte) {
  BoardBench bench;
  auto board = bench.AddBoard("COM4");
  ASSERT_TRUE(bench.link.ConnectBoard("COM4", "57600"));

  EXPECT_TRUE(bench.ComPort1.Connected());
  EXPECT_EQ(bench.ComPort1.Port(), "COM4");
  EXPECT_EQ(bench.ComPort1.BaudRate(), serial::br57600);
  EXPECT_EQ(bench.ComPort1.Timeouts().ReadTotalConstant(), kHandshakeTimeoutMs);
  EXPECT_EQ(bench.link.SendByte, kCommandStart);
  EXPECT_EQ(bench.link.ReceiveByte, kHandshakeAnswer);
  EXPECT_EQ(board->HostBytes(), (std::vector<std::uint8_t>{kSync, kCommandStart}));
  EXPECT_EQ(board->BoardBytes(), (std::vector<std::uint8_t>{kHandshakeAnswer}));
  EXPECT_TRUE(bench.errors.messages.empty());
}

TEST(ConnectBoard, PulsesDtrTwoMillisecondsLowThenSendsAtOnceWithoutAConverter) {
  BoardBench bench;
  auto board = bench.AddBoard("COM4");
  ASSERT_TRUE(bench.link.ConnectBoard("COM4", "57600"));
  const auto record = board->Record();
  const auto purge = LastEvent(record, LineEventKind::InputPurged);
  const auto low = LastEvent(record, LineEventKind::DtrLow);
  const auto high = LastEvent(record, LineEventKind::DtrHigh);
  const auto first = FirstEvent(record, LineEventKind::HostByte);
  ASSERT_TRUE(purge && low && high && first);
  EXPECT_EQ(low->time - purge->time, sim::Ms(kDtrPulseMs));
  EXPECT_EQ(high->time - low->time, sim::Ms(kDtrPulseMs));
  EXPECT_EQ(first->time, high->time);
  EXPECT_GE(board->Resets(), 1);
}

TEST(ConnectBoard, WithUsbConverterTheFirstByteLeavesFiveMillisecondsAfterTheRise) {
  BoardBench bench;
  auto board = bench.AddBoard("COM4");
  bench.cbUSBOption.SetChecked(true);
  ASSERT_TRUE(bench.link.ConnectBoard("COM4", "57600"));
  const auto record = board->Record();
  const auto high = LastEvent(record, LineEventKind::DtrHigh);
  const auto first = FirstEvent(record, LineEventKind::HostByte);
  ASSERT_TRUE(high && first);
  EXPECT_GE(first->time - high->time, sim::Ms(kUsbConverterWaitMs));
}

TEST(ConnectBoard, EmptyPortOrRateTextIsRefusedAndTouchesNothing) {
  BoardBench bench;
  bench.AddBoard("COM4");
  ASSERT_TRUE(bench.link.ConnectBoard("COM4", "57600"));

  EXPECT_FALSE(bench.link.ConnectBoard("COM5", ""));
  EXPECT_FALSE(bench.link.ConnectBoard("", "57600"));
  EXPECT_EQ(bench.errors.messages,
            (std::vector<std::string>{kSelectComAndBaudrateText, kSelectComAndBaudrateText}));
  EXPECT_EQ(bench.ComPort1.Port(), "COM4");
  EXPECT_TRUE(bench.ComPort1.Connected());
  EXPECT_EQ(bench.openAttempts, std::vector<std::string>{"COM4"});

  bench.ComPort1.Close();
  EXPECT_FALSE(bench.link.ConnectBoard("", ""));
  EXPECT_FALSE(bench.ComPort1.Connected());
}

TEST(ConnectBoard, PortThatDoesNotOpenIsReportedAsUsedAndLeftClosed) {
  BoardBench bench;
  bench.AddBoard("COM4");
  bench.AddHeldPort("COM6");
  ASSERT_TRUE(bench.link.ConnectBoard("COM4", "57600"));

  // Changing to a held port closes the open one first.
  EXPECT_FALSE(bench.link.ConnectBoard("COM6", "57600"));
  EXPECT_FALSE(bench.ComPort1.Connected());
  EXPECT_EQ(bench.ComPort1.Port(), "COM6");
  EXPECT_EQ(bench.boards["COM4"]->OpenHandles(), 0);

  // A port that does not exist reads the same.
  EXPECT_FALSE(bench.link.ConnectBoard("COM9", "57600"));
  EXPECT_EQ(bench.ComPort1.Port(), "COM9");
  EXPECT_EQ(bench.errors.messages,
            (std::vector<std::string>{"COM6 already used by other application",
                                      "COM9 already used by other application"}));
}

TEST(ConnectBoard, FailedHandshakeShowsNothingAndLeavesThePortOpenAtThatRate) {
  BoardBench bench;
  sim::BoardConfig wrong;
  wrong.handshakeAnswer = 0x2C;
  bench.AddBoard("COM4", wrong);
  bench.AddSilentPort("COM5");

  EXPECT_FALSE(bench.link.ConnectBoard("COM4", "19200"));
  EXPECT_TRUE(bench.ComPort1.Connected());
  EXPECT_EQ(bench.ComPort1.BaudRate(), serial::br19200);

  // Nothing at all: the read gives up after the 100 ms time-out, ReceiveByte keeps its value.
  bench.link.ReceiveByte = 0x77;
  const double before = bench.ElapsedMs();
  EXPECT_FALSE(bench.link.ConnectBoard("COM5", "57600"));
  const double spent = bench.ElapsedMs() - before;
  EXPECT_GE(spent, 104.0);  // 2 + 2 ms of DTR pulse and 100 ms waiting
  EXPECT_LT(spent, 106.0);
  EXPECT_EQ(bench.link.ReceiveByte, 0x77);
  EXPECT_TRUE(bench.ComPort1.Connected());
  EXPECT_EQ(bench.ComPort1.Timeouts().ReadTotalConstant(), kHandshakeTimeoutMs);
  EXPECT_TRUE(bench.errors.messages.empty());
}

TEST(ConnectBoard, BoardAnswersOnlyAtItsOwnRate) {
  BoardBench bench;
  sim::BoardConfig at9600;
  at9600.rates = {9600};
  bench.AddBoard("COM4", at9600);
  EXPECT_FALSE(bench.link.ConnectBoard("COM4", "57600"));
  EXPECT_TRUE(bench.link.ConnectBoard("COM4", "9600"));
  // A rate text that is not a known rate runs at 9600 bit/s.
  EXPECT_TRUE(bench.link.ConnectBoard("COM4", "57600 "));
  EXPECT_EQ(bench.ComPort1.BaudRate(), serial::br9600);
}

TEST(ConnectBoard, TypedRateMissingFromTheListButKnownConnectsAtThatRate) {
  BoardBench bench;
  sim::BoardConfig fast;
  fast.rates = {115200};
  bench.AddBoard("COM4", fast);
  EXPECT_TRUE(bench.link.ConnectBoard("COM4", "115200"));
  EXPECT_EQ(bench.ComPort1.BaudRate(), serial::br115200);
}

TEST(ConnectBoard, PendingInputFromTheBoardIsDiscardedBeforeTheHandshake) {
  BoardBench bench;
  sim::BoardConfig echo;
  echo.program = sim::ProgramBehaviour::Echo;
  auto board = bench.AddBoard("COM4", echo);
  ASSERT_TRUE(bench.link.ConnectBoard("COM4", "57600"));
  // A byte-download of nothing starts the echo program, whose echo is left unread.
  const std::uint8_t command[] = {kCommandStart, kByteDownloadUnverified, 0x40, 0x40, 0x00, 0x00,
                                  0x99};
  ASSERT_EQ(bench.ComPort1.Write(command, sizeof command), 7);
  bench.clock->Advance(sim::Ms(5));
  ASSERT_TRUE(board->ProgramStarted());
  EXPECT_TRUE(bench.link.ConnectBoard("COM4", "57600"));
  EXPECT_EQ(bench.link.ReceiveByte, kHandshakeAnswer);
}

TEST(ConnectBoard, PortErrorAfterOpeningIsNotCaught) {
  BoardBench bench;
  sim::BoardConfig vanishing;
  vanishing.vanishAfterWrites = 0;
  bench.AddBoard("COM4", vanishing);
  EXPECT_TRUE(test_support::RaisesComError([&] { bench.link.ConnectBoard("COM4", "57600"); },
                                           serial::CError_WriteFailed, serial::DeviceGoneError()));
  EXPECT_TRUE(bench.errors.messages.empty());
}

// ---- ScanForBoard

TEST(ScanForBoard, FindsABoardAt9600OnTheSecondPortAtTheEighthAttempt) {
  BoardBench bench;
  bench.AddSilentPort("COM1");
  sim::BoardConfig at9600;
  at9600.rates = {9600};
  bench.AddBoard("COM2", at9600);
  bench.SetPortList({"COM1", "COM2"});
  bench.cbAutoDetect.SetChecked(true);
  bench.link.cbAutoDetectClick();

  ASSERT_TRUE(bench.link.ScanForBoard(1));
  const std::vector<std::pair<std::string, std::string>> expected{
      {"COM1", "57600"}, {"COM1", "19200"}, {"COM1", "9600"},  {"COM1", "4800"},
      {"COM1", "2400"},  {"COM2", "57600"}, {"COM2", "19200"}, {"COM2", "9600"}};
  EXPECT_EQ(Attempts(bench), expected);
  EXPECT_EQ(bench.pump.runs, 8);
  EXPECT_EQ(bench.StatusBar1.panels[0], kConnectedAtText);
  EXPECT_EQ(bench.StatusBar1.panels[1], kAutoDetectText);
  EXPECT_EQ(bench.StatusBar1.panels[2], "COM2");
  EXPECT_EQ(bench.StatusBar1.panels[3], "9600");
  EXPECT_EQ(bench.cbCOMOption.Text(), "COM2");
  EXPECT_EQ(bench.cbBaudrateOption.Text(), "9600");
  EXPECT_EQ(bench.cbBaudrateOption.ItemIndex(), 2);
  EXPECT_TRUE(bench.ComPort1.Connected());
  EXPECT_EQ(bench.ComPort1.Port(), "COM2");
  EXPECT_EQ(bench.ComPort1.BaudRate(), serial::br9600);
  EXPECT_EQ(bench.boards["COM1"]->OpenHandles(), 0);
  EXPECT_TRUE(bench.errors.messages.empty());
  EXPECT_EQ(bench.StatusBar1.history.front(),
            std::make_pair(ui::kAutoDetectPanel, std::string(kAutoDetectText)));
}

TEST(ScanForBoard, NothingFoundClosesThePortEmptiesThePanelsAndShowsTheCheckListOnce) {
  BoardBench bench;
  bench.AddSilentPort("COM1");
  bench.AddSilentPort("COM2");
  bench.SetPortList({"COM1", "COM2"});
  bench.StatusBar1.SetPanelText(ui::kAutoDetectPanel, kAutoDetectText);

  // The message box is up while the panels still show the last attempt.
  std::string panelsAtMessage;
  bench.errors.onShow = [&](const std::string&) {
    panelsAtMessage = bench.StatusBar1.panels[0] + "|" + bench.StatusBar1.panels[2];
  };
  EXPECT_FALSE(bench.link.ScanForBoard(1));
  EXPECT_EQ(Attempts(bench).size(), 10u);
  EXPECT_EQ(bench.errors.messages, std::vector<std::string>{kBoardCheckText});
  EXPECT_EQ(panelsAtMessage, std::string(kDetectingText) + "|COM2");
  EXPECT_EQ(bench.StatusBar1.panels[0], "");
  EXPECT_EQ(bench.StatusBar1.panels[1], kAutoDetectText);
  EXPECT_EQ(bench.StatusBar1.panels[2], "");
  EXPECT_EQ(bench.StatusBar1.panels[3], "");
  EXPECT_FALSE(bench.ComPort1.Connected());
  // Each failed attempt on a port that opens: 4 ms of DTR, 100 ms waiting, 50 ms pause.
  EXPECT_NEAR(bench.ElapsedMs(), 10 * 154.0, 10.0);
}

TEST(ScanForBoard, TheCheckListTextIsExact) {
  EXPECT_STREQ(kBoardCheckText,
               "Board can't initialized\r\nDo following check : \r\n1. Check serial cable "
               "connection\r\n2. Make sure the 9VAC transformer is plugged in at both ends\r\n"
               "    If power is getting to the board, the 7805 regulator will\r\n    be warm\r\n"
               "3. Make sure the memory type is right, do selftest to get\r\n    memory type");
}

TEST(ScanForBoard, HeldPortIsReportedOncePerRateAndTheScanGoesOn) {
  BoardBench bench;
  bench.AddHeldPort("COM1");
  bench.AddBoard("COM2");
  bench.SetPortList({"COM1", "COM2"});
  ASSERT_TRUE(bench.link.ScanForBoard(1));
  EXPECT_EQ(bench.errors.Count("COM1 already used by other application"), 5);
  EXPECT_EQ(bench.errors.messages.size(), 5u);
  EXPECT_EQ(Attempts(bench).size(), 6u);
  EXPECT_EQ(bench.StatusBar1.panels[3], "57600");
}

TEST(ScanForBoard, NetworkBoardsInTheListAreNotSearched) {
  BoardBench bench;
  bench.AddBoard("COM2");
  bench.SetPortList({"rfc2217://lab1:4001", "COM2", "RFC2217://lab1:4002"});
  ASSERT_TRUE(bench.link.ScanForBoard(1));
  EXPECT_EQ(bench.openAttempts, std::vector<std::string>{"COM2"});
  EXPECT_EQ(Attempts(bench).size(), 1u);
}

TEST(ScanForBoard, RepeatCountRepeatsTheWholeWalk) {
  BoardBench bench;
  bench.AddHeldPort("COM1");
  bench.SetPortList({"COM1"});
  EXPECT_FALSE(bench.link.ScanForBoard(2));
  EXPECT_EQ(bench.errors.Count("COM1 already used by other application"), 10);
  EXPECT_EQ(bench.errors.messages.back(), kBoardCheckText);
}

TEST(ScanForBoard, PortErrorAfterOpeningEndsTheScanAtOnce) {
  BoardBench bench;
  sim::BoardConfig vanishing;
  vanishing.vanishAfterWrites = 0;
  bench.AddBoard("COM1", vanishing);
  bench.AddBoard("COM2");
  bench.SetPortList({"COM1", "COM2"});
  EXPECT_THROW(bench.link.ScanForBoard(1), serial::EComPort);
  EXPECT_EQ(bench.openAttempts, std::vector<std::string>{"COM1"});
  EXPECT_EQ(bench.StatusBar1.panels[0], kDetectingText);
  EXPECT_TRUE(bench.errors.messages.empty());
}

TEST(ScanForBoard, EmptyPortListMakesNoAttempt) {
  BoardBench bench;
  EXPECT_FALSE(bench.link.ScanForBoard(1));
  EXPECT_TRUE(bench.openAttempts.empty());
  EXPECT_EQ(bench.pump.runs, 0);
  EXPECT_EQ(bench.StatusBar1.history.front(),
            std::make_pair(ui::kConnectionPanel, std::string(kDetectingText)));
  EXPECT_EQ(bench.errors.messages, std::vector<std::string>{kBoardCheckText});
  EXPECT_EQ(bench.StatusBar1.panels[0], "");
  EXPECT_EQ(bench.StatusBar1.panels[2], "");
  EXPECT_EQ(bench.StatusBar1.panels[3], "");
}

TEST(ScanForBoard, ZeroRepeatsMakeNoAttempt) {
  BoardBench bench;
  bench.AddBoard("COM1");
  bench.SetPortList({"COM1"});
  EXPECT_FALSE(bench.link.ScanForBoard(0));
  EXPECT_TRUE(bench.openAttempts.empty());
}

TEST(ScanForBoard, SelectsTheFoundPortWhenTheUserClearedTheBoxesDuringTheScan) {
  BoardBench bench;
  bench.AddSilentPort("COM1");
  bench.AddBoard("COM2");
  bench.SetPortList({"COM1", "COM2"});
  // The check box is clicked while the scan lets messages run.
  bench.pump.onRun = [&] {
    bench.cbAutoDetect.SetChecked(true);
    bench.link.cbAutoDetectClick();
  };
  ASSERT_TRUE(bench.link.ScanForBoard(1));
  EXPECT_EQ(bench.cbCOMOption.Text(), "COM2");
  EXPECT_EQ(bench.cbBaudrateOption.Text(), "57600");
}

// ---- cbAutoDetectClick

TEST(AutoDetectCheckBox, CheckingClearsBothBoxesUncheckingLeavesThem) {
  BoardBench bench;
  bench.SetPortList({"COM1", "COM2"});
  bench.cbAutoDetect.SetChecked(true);
  bench.link.cbAutoDetectClick();
  EXPECT_EQ(bench.StatusBar1.panels[1], kAutoDetectText);
  EXPECT_EQ(bench.cbCOMOption.ItemIndex(), -1);
  EXPECT_EQ(bench.cbCOMOption.Text(), "");
  EXPECT_EQ(bench.cbBaudrateOption.Text(), "");

  bench.cbCOMOption.SetItemIndex(1);
  bench.cbBaudrateOption.SetItemIndex(2);
  bench.cbAutoDetect.SetChecked(false);
  bench.link.cbAutoDetectClick();
  EXPECT_EQ(bench.StatusBar1.panels[1], "");
  EXPECT_EQ(bench.cbCOMOption.Text(), "COM2");
  EXPECT_EQ(bench.cbBaudrateOption.Text(), "9600");
}

}  // namespace
}  // namespace orvane::board
