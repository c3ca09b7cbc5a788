// `orvane detect` against orvane-board on a pseudo-terminal: the whole way through the real
// serial layer, in real time.
#include <gtest/gtest.h>

#include <string>

#include "board/board_messages.h"
#include "support/board_server_posix.h"

namespace orvane::board {
namespace {

using test_support::BoardServer;
using test_support::OrvanePath;
using test_support::RunProgram;

TEST(DetectEndToEnd, FindsTheBoardOnATerminalAtItsRate) {
  BoardServer server;
  ASSERT_TRUE(server.Running());
  const auto result = RunProgram({OrvanePath(), "detect", "--port", server.LinkPath()});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "Connected at " + server.LinkPath() + " 57600\n");
  EXPECT_EQ(result.err, "");
}

TEST(DetectEndToEnd, WalksThePortsInOrderAndTheRatesFromTheLast) {
  BoardServer server({"--rates", "9600"});
  ASSERT_TRUE(server.Running());
  const std::string missing = "/nonexistent/ttyNONE";
  const auto result =
      RunProgram({OrvanePath(), "detect", "--ports", missing + "," + server.LinkPath()});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "Connected at " + server.LinkPath() + " 9600\n");
  const std::string used = missing + kPortInUseSuffix + "\n";
  std::string fiveTimes;
  for (int i = 0; i < 5; ++i) fiveTimes += used;
  EXPECT_EQ(result.err, fiveTimes);
}

TEST(DetectEndToEnd, ReportsTheCheckListWhenNothingAnswers) {
  BoardServer server({"--handshake-answer", "0x2C"});
  ASSERT_TRUE(server.Running());
  const auto result =
      RunProgram({OrvanePath(), "detect", "--ports", server.LinkPath(), "--bauds", "9600,57600"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, std::string(kBoardCheckText) + "\n");
}

TEST(DetectEndToEnd, TheInProcessVirtualBoardIsReachedByItsNameWhenUnlisted) {
  // The global options may also stand before the command.
  const auto result =
      RunProgram({OrvanePath(), "--port", "VIRTUAL", "detect"}, {"ORVANE_VIRTUAL_BOARD=0"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "Connected at VIRTUAL 57600\n");
}

TEST(DetectEndToEnd, ServerDumpsTheBoardMemoryWhenStopped) {
  BoardServer server;
  ASSERT_TRUE(server.Running());
  EXPECT_EQ(server.Stop(), 0);
  const auto dump = server.Dump();
  ASSERT_EQ(dump.size(), 8192u);
  EXPECT_EQ(dump[0], 0xFF);  // nothing downloaded: an erased memory
}

}  // namespace
}  // namespace orvane::board
