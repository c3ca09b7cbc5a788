// The download run and the progress window's states on a virtual board, on virtual time.
#include <gtest/gtest.h>

#include <vector>

#include "board/board_messages.h"
#include "board/board_protocol.h"
#include "download/download_messages.h"
#include "download/download_run.h"
#include "serial/com_port.h"
#include "support/connected_board.h"
#include "support/scripted_com_device.h"
#include "ui/views/progress_window_events.h"

namespace orvane::download::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct RunBench : ConnectedBoard {
  using ConnectedBoard::ConnectedBoard;
  bool Start(int algorithm) {
    bench.rgDownloadAlg.SetItemIndex(algorithm);
    return DownloadRun(bench.link, *image, form2);
  }
};

TEST(DownloadRun, SendsStarAndTheChosenCommandCodeBeforeTheAlgorithm) {
  for (int algorithm = 0; algorithm < 4; ++algorithm) {
    SCOPED_TRACE(algorithm);
    RunBench run(0x4030);
    ASSERT_TRUE(run.connected);
    EXPECT_TRUE(run.Start(algorithm));
    const Bytes host = run.board->HostBytes();
    ASSERT_GE(host.size(), 3u);
    EXPECT_EQ(Bytes(host.begin(), host.begin() + 3),
              (Bytes{0x2A, static_cast<std::uint8_t>(0x07 + algorithm), 0x40}));
    EXPECT_EQ(run.board->Memory()[0x2F], PatternByte(0x2F));
  }
  // With "Byte Download Verified " the header comes back byte by byte.
  RunBench run(0x4030);
  ASSERT_TRUE(run.Start(3));
  const Bytes answers = run.board->BoardBytes();
  EXPECT_EQ(Bytes(answers.begin(), answers.begin() + 4), (Bytes{0x40, 0x40, 0x00, 0x30}));
}

TEST(DownloadRun, ASuccessfulRunLeavesTheResultAndTheCloseButtonUp) {
  RunBench run(0x4100);
  bool disabledDuringTransfer = true;
  std::vector<std::string> labelsDuringTransfer;
  run.bench.pump.onRun = [&] {
    disabledDuringTransfer = disabledDuringTransfer && !run.bench.Form1.Enabled();
    if (run.form2.CloseButtonVisible()) labelsDuringTransfer.push_back("button visible");
    if (run.form2.LabelText() != ui::kDownloadingWaitText)
      labelsDuringTransfer.push_back(run.form2.LabelText());
  };
  EXPECT_TRUE(run.Start(0));

  EXPECT_TRUE(disabledDuringTransfer);
  EXPECT_TRUE(labelsDuringTransfer.empty());
  EXPECT_EQ(run.form2.labelHistory,
            (std::vector<std::string>{"Downloading......please wait", "Downloading succeded"}));
  EXPECT_TRUE(run.form2.Visible());
  EXPECT_TRUE(run.form2.CloseButtonVisible());
  EXPECT_EQ(run.form2.pbDownload.Position(), run.form2.pbDownload.Max());
  EXPECT_EQ(run.form2.pbDownload.Max(), 0x100);
  // The window stays up, and the main window disabled, until the caller closes it.
  EXPECT_FALSE(run.bench.Form1.Enabled());
  run.form2.Close();
  EXPECT_FALSE(run.form2.Visible());
  EXPECT_TRUE(run.bench.Form1.Enabled());
}

TEST(DownloadRun, ABoardThatStopsAnsweringLeavesTheFailureText) {
  sim::BoardConfig config;
  config.silentAfter = 40;
  RunBench run(0x4100, config);
  EXPECT_FALSE(run.Start(1));
  EXPECT_EQ(run.form2.LabelText(), "Downloading failure");
  EXPECT_TRUE(run.form2.CloseButtonVisible());
  EXPECT_FALSE(run.bench.Form1.Enabled());
  // Its Close button closes it and gives the main window back.
  run.form2.events.BitBtn1Click();
  EXPECT_FALSE(run.form2.Visible());
  EXPECT_TRUE(run.bench.Form1.Enabled());
}

TEST(DownloadRun, ALaterRunStartsFromAnEmptyBarAndTheWaitingText) {
  RunBench run(0x4100);
  ASSERT_TRUE(run.Start(2));
  run.form2.Close();

  // The second run fails at its first echo, before any data byte.
  sim::BoardConfig config;
  config.silentAfter = 0;
  config.faultCount = sim::FaultCount::SinceCommand;
  run.board->SetConfig(config);
  ASSERT_TRUE(run.bench.link.ConnectBoard("COM3", "57600"));
  run.form2.labelHistory.clear();
  EXPECT_FALSE(run.Start(3));
  EXPECT_EQ(run.form2.pbDownload.Position(), 0);
  EXPECT_EQ(run.form2.pbDownload.Min(), 0);
  EXPECT_EQ(run.form2.labelHistory,
            (std::vector<std::string>{"Downloading......please wait", "Downloading failure"}));
  EXPECT_FALSE(run.bench.Form1.Enabled());
}

TEST(DownloadRun, WritesThatDoNotGoOutEndTheRun) {
  // The line takes `capacity` bytes, then no more (a write time-out, not an error).
  struct Case {
    std::int32_t capacity;
    const char* label;
    bool buttonVisible;
  };
  const Case cases[] = {
      {0, "Downloading......please wait", false},  // not even '*'
      {1, "Downloading failure", true},            // '*' but no command code
      {3, "Downloading failure", true},            // the end address's low byte
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.capacity);
    RunBench run(0x4100);
    auto line = std::make_shared<test_support::ScriptedLine>();
    run.bench.ComPort1.Close();
    run.bench.ComPort1.SetDeviceOpener(test_support::ScriptedOpener(line));
    run.bench.ComPort1.Open();
    line->writeCapacity = c.capacity;
    EXPECT_FALSE(run.Start(0));
    EXPECT_EQ(line->output.size(), static_cast<std::size_t>(c.capacity));
    EXPECT_EQ(run.form2.LabelText(), c.label);
    EXPECT_EQ(run.form2.CloseButtonVisible(), c.buttonVisible);
    EXPECT_EQ(line->Count("Read"), 0);
  }
}

TEST(DownloadRun, NoChoiceInTheGroupSendsNoCommandCode) {
  RunBench run(0x4100);
  EXPECT_FALSE(run.Start(-1));
  EXPECT_EQ(run.board->HostBytes(), (Bytes{0x2A}));
  EXPECT_EQ(run.form2.LabelText(), "Downloading failure");
}

TEST(DownloadRun, ASerialErrorClosesTheWindowAndEnablesTheMainWindowThenPropagates) {
  // Closing the pulled port fails too; that goes to the error display, not to this test's output.
  std::vector<std::string> shown;
  serial::SetErrorDisplay([&](const std::exception& e) { shown.push_back(e.what()); });
  for (std::uint64_t writes : {0, 1, 2, 40}) {
    SCOPED_TRACE(writes);
    sim::BoardConfig config;
    RunBench run(0x4100, config);
    config.vanishAfterWrites = writes;  // counted from now: the port is pulled mid-run
    run.board->SetConfig(config);
    try {
      run.Start(3);
      ADD_FAILURE() << "no error";
    } catch (const serial::EComPort& e) {
      EXPECT_TRUE(e.ErrorCode() == serial::CError_WriteFailed ||
                  e.ErrorCode() == serial::CError_ReadFailed)
          << e.ErrorCode();
    }
    EXPECT_FALSE(run.form2.Visible());
    EXPECT_EQ(run.form2.closes, 1);
    EXPECT_TRUE(run.bench.Form1.Enabled());
    EXPECT_FALSE(run.form2.CloseButtonVisible());
  }
  serial::SetErrorDisplay(nullptr);
}

// ---- the connection of a download command

TEST(ConnectForDownload, AtTheChosenPortOrByScan) {
  {
    test_support::BoardBench bench;
    bench.AddBoard("COM3");
    bench.SetPortList({"COM1", "COM3"});
    bench.cbCOMOption.SetItemIndex(1);
    ASSERT_TRUE(ConnectForDownload(bench.link));
    EXPECT_EQ(bench.StatusBar1.panels[0], "Connected at");
    EXPECT_EQ(bench.StatusBar1.panels[2], "COM3");
    EXPECT_EQ(bench.StatusBar1.panels[3], "57600");
    EXPECT_EQ(bench.link.SendByte, board::kCommandStart);
    EXPECT_TRUE(bench.errors.messages.empty());
  }
  {
    // The board answers only on the second port: the scan finds it, a direct attempt does not.
    test_support::BoardBench bench;
    bench.AddSilentPort("COM1");
    bench.AddBoard("COM3");
    bench.SetPortList({"COM1", "COM3"});
    EXPECT_FALSE(ConnectForDownload(bench.link));
    EXPECT_EQ(bench.errors.messages, (std::vector<std::string>{board::kBoardCheckText}));
    bench.cbAutoDetect.SetChecked(true);
    EXPECT_TRUE(ConnectForDownload(bench.link));
    EXPECT_EQ(bench.cbCOMOption.Text(), "COM3");
    EXPECT_EQ(bench.errors.messages.size(), 1u);
  }
  {
    test_support::BoardBench bench;
    bench.AddBoard("COM3");
    bench.cbCOMOption.SetText("COM3");
    bench.cbBaudrateOption.SetText("");
    EXPECT_FALSE(ConnectForDownload(bench.link));
    EXPECT_EQ(bench.errors.messages, (std::vector<std::string>{"Select COM Port and Baudrate"}));
    EXPECT_TRUE(bench.openAttempts.empty());
  }
}

// ---- images the download commands refuse

TEST(DownloadRefusal, NothingToSendAndAnEndBeyondTheMemoryAreRefused) {
  struct Case {
    std::uint32_t end;
    const char* message;  // null: accepted
  };
  const Case cases[] = {
      {0, "No data to download"},
      {0x3FFF, "No data to download"},
      {0x4000, "No data to download"},
      {0x4001, nullptr},
      {0x6000, nullptr},
      {0x6001, "Address range error"},
      {0x10000, "Address range error"},
      {0xFFFFFFFF, "Address range error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.end);
    MemoryImage image;
    image.EndAddress = c.end;
    const auto refusal = DownloadRefusal(image);
    if (c.message) {
      EXPECT_EQ(refusal, c.message);
    } else {
      EXPECT_FALSE(refusal);
    }
  }
}

}  // namespace
}  // namespace orvane::download::test
