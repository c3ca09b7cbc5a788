// Boards over the network end to end: orvane-board on a pseudo-terminal behind ser2net, the
// command-line tool connecting with rfc2217:// port names, in real time; the board's memory dump
// must equal the image.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <thread>

#include "board/board_messages.h"
#include "board/board_protocol.h"
#include "download/download_run.h"
#include "serial/network_device.h"
#include "support/hint_lines.h"
#include "support/network_board_posix.h"
#include "support/temp_folder.h"

namespace orvane::download::test {
namespace {

using test_support::FileBytes;
using test_support::HexDataFile;
using test_support::NetworkBoard;
using test_support::OrvanePath;
using test_support::RunProgram;
using Clock = std::chrono::steady_clock;

class NetworkBoards : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test_support::HaveNetworkSerialServer())
        << "ser2net is missing (scripts/install-deps installs it)";
  }
};

TEST_F(NetworkBoards, DownloadWithEachAlgorithm) {
  const auto expected = FileBytes(HexDataFile("random-3000.bin"));
  for (const download::DownloadAlgorithm& item : download::kDownloadAlgorithms) {
    const std::string algorithm = item.toolName;
    SCOPED_TRACE(algorithm);
    NetworkBoard board;
    ASSERT_TRUE(board.Running());
    const auto result = RunProgram({OrvanePath(), "download", HexDataFile("objcopy-3000.hex"),
                                    "--algorithm", algorithm, "--port", board.PortName()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Downloading succeded\n");
    EXPECT_EQ(board.Board().Memory(expected.size()), expected);
  }
}

TEST_F(NetworkBoards, ATestProgramAndCommandsInQuickSuccession) {
  NetworkBoard board;
  ASSERT_TRUE(board.Running());
  for (int run = 0; run < 2; ++run) {
    const auto result = RunProgram({OrvanePath(), "--port", board.PortName(), "test", "serial"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "Serial Testing\nThis test sending data 0-255\nand receive echo via serial "
              "port\n\nSerial testing done\n");
  }
  const auto selftest = RunProgram({OrvanePath(), "--port", board.PortName(), "selftest"});
  EXPECT_EQ(selftest.exitCode, 0) << selftest.err;
}

TEST_F(NetworkBoards, TwoBoardsAtOnce) {
  NetworkBoard first;
  NetworkBoard second;
  ASSERT_TRUE(first.Running() && second.Running());
  const auto result =
      RunProgram({OrvanePath(), "download", HexDataFile("objcopy-3000.hex"), "--algorithm",
                  "byte-verified", "--ports", first.PortName() + "," + second.PortName()});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, first.PortName() + ": Downloading succeded\n" + second.PortName() +
                            ": Downloading succeded\n");
  const auto expected = FileBytes(HexDataFile("random-3000.bin"));
  EXPECT_EQ(first.Board().Memory(expected.size()), expected);
  EXPECT_EQ(second.Board().Memory(expected.size()), expected);
}

TEST_F(NetworkBoards, AServerKilledMidDownloadFailsInTimeAndComesBack) {
  NetworkBoard board;
  ASSERT_TRUE(board.Running());
  auto download = std::async(std::launch::async, [&] {
    return RunProgram({OrvanePath(), "download", HexDataFile("objcopy-8192.hex"), "--algorithm",
                       "byte-verified", "--port", board.PortName()});
  });
  // Killed once a few thousand bytes have crossed it: well into the transfer.
  const auto limit = Clock::now() + std::chrono::seconds(10);
  while (board.ServerBytesWritten() < 4000 && Clock::now() < limit) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  board.KillServer();
  const auto killed = Clock::now();
  const auto result = download.get();
  // The transfer's longest read time-out, one command's wait for an answer as the port closes,
  // and a second for the process.
  const auto bound = std::chrono::milliseconds(std::max(board::kTransferEchoTimeoutMs,
                                                        board::kPageAcknowledgeTimeoutMs)) +
                     serial::kNetworkAnswerWait + std::chrono::seconds(1);
  EXPECT_LT(Clock::now() - killed, bound);
  // As a converter pulled out: the read's failure, the port let go.
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err.rfind("ReadFile function failed", 0), 0u) << result.err;

  ASSERT_TRUE(board.StartServer());
  const auto again = RunProgram({OrvanePath(), "--port", board.PortName(), "selftest"});
  EXPECT_EQ(again.exitCode, 0) << again.err;
}

TEST_F(NetworkBoards, AnUnreachableServerIsAPortThatCannotBeOpened) {
  std::uint16_t closedPort = 0;
  {
    NetworkBoard gone;
    ASSERT_TRUE(gone.Running());
    closedPort = static_cast<std::uint16_t>(std::stoi(gone.PortName().substr(20)));
  }
  const std::string port = "rfc2217://127.0.0.1:" + std::to_string(closedPort);
  const auto result = RunProgram({OrvanePath(), "--port", port, "selftest"});
  EXPECT_EQ(result.exitCode, 1);
  const auto split = test_support::SplitHints(result.err);
  EXPECT_EQ(split.messages.rfind(port + board::kPortInUseSuffix + "\n", 0), 0u) << result.err;
  ASSERT_EQ(split.hints.size(), 1u);
  EXPECT_EQ(
      split.hints[0].rfind(
          "no network serial server answered at 127.0.0.1 port " + std::to_string(closedPort), 0),
      0u)
      << split.hints[0];
}

TEST_F(NetworkBoards, TheSettingsFileListsThem) {
  test_support::TempFolder config;
  std::ofstream(config.Path() / "Orvanekit.ini")
      << "[Network]\r\nBoard1=rfc2217://lab1:4001\r\nBoard2=rfc2217://[::1]:4002\r\n"
      << "Board3=rfc2217://LAB1:4001\r\nBoard5=rfc2217://skipped:1\r\n";
  const std::string environment = "ORVANE_CONFIG_DIR=" + config.Path().string();
  const auto result = RunProgram({OrvanePath(), "ports", "--long"}, {environment});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("rfc2217://lab1:4001\tnetwork lab1 port 4001\t\t\n"), std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("rfc2217://[::1]:4002\tnetwork ::1 port 4002\t\t\n"),
            std::string::npos);
  EXPECT_EQ(result.out.find("LAB1"), std::string::npos);
  EXPECT_EQ(result.out.find("skipped"), std::string::npos);
}

}  // namespace
}  // namespace orvane::download::test
