// orvane selftest and orvane test end to end: the real serial layer to orvane-board on a
// pseudo-terminal, in real time, run from a folder that holds no test files (they are found
// beside the program). After each test the board's memory holds the test program.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "download/hex_file.h"
#include "download/hex_loader.h"
#include "support/board_server_posix.h"
#include "support/hint_lines.h"
#include "support/temp_folder.h"
#include "support/testing_bench.h"

namespace orvane::boardtest {
namespace {

using test_support::BoardServer;
using test_support::OrvanePath;
using test_support::RunProgram;

struct CommandCase {
  const char* name;
  std::vector<std::string> arguments;
  const char* program;  // the test program downloaded, or null
  std::string out;
};

class TestCommands : public ::testing::TestWithParam<CommandCase> {};

TEST_P(TestCommands, PrintTheTestingWindowAndLeaveTheProgramOnTheBoard) {
  const CommandCase& c = GetParam();
  test_support::TempFolder elsewhere;
  test_support::ScopedCurrentFolder inside(elsewhere.Path());
  BoardServer server;
  ASSERT_TRUE(server.Running());
  std::vector<std::string> argv{OrvanePath(), "--port", server.LinkPath()};
  argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
  const auto result = RunProgram(argv);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, c.out);
  EXPECT_EQ(result.err, "");

  ASSERT_EQ(server.Stop(), 0);
  if (!c.program) return;
  download::HexFile file;
  file.Assign((test_support::ProgramFolder() / c.program).string());
  ASSERT_TRUE(file.Open());
  auto image = std::make_unique<download::MemoryImage>();
  ASSERT_EQ(download::HexLoader(*image, file).LoadHexFile(), download::LoadOk);
  const std::vector<unsigned char> memory = server.Dump();
  ASSERT_EQ(memory.size(), download::ImageSize);
  EXPECT_TRUE(std::equal(image->bytes.begin(),
                         image->bytes.begin() + static_cast<long>(image->ImageBytesUsed()),
                         memory.begin()));
}

INSTANTIATE_TEST_SUITE_P(
    EndToEnd, TestCommands,
    ::testing::Values(
        CommandCase{
            "Selftest", {"selftest"}, nullptr, "Selftest\nMemory : AT28C64B\nSelftest completed\n"},
        CommandCase{"Port1",
                    {"test", "port1"},
                    "wave1.hex",
                    "Port1 Testing\nThis test output squarewave\nsignal at Port1(0..7)\n"},
        CommandCase{"Ppi",
                    {"test", "ppi", "--algorithm", "byte-verified"},
                    "wave2.hex",
                    "PPI Testing\nThis test output squarewave\nsignal at PortA..PortC\n"},
        CommandCase{"Serial",
                    {"test", "serial"},
                    "echo.hex",
                    "Serial Testing\nThis test sending data 0-255\nand receive echo via serial "
                    "port\n\nSerial testing done\n"},
        CommandCase{"Memory",
                    {"test", "memory", "--algorithm", "page-verified"},
                    "memrw.hex",
                    "Memory Testing\nThis test write data 0-255 to memory\nthen read and "
                    "check\n\nMemory testing done\n"},
        CommandCase{"Lcd",
                    {"test", "lcd", "--algorithm", "byte"},
                    "dispmsg.hex",
                    "LCD Testing\nThis test display symbol & text\nto LCD if connected at LCD "
                    "Port\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TestCommands, AFailedSelftestAndAMissingBoardExitWithOne) {
  BoardServer server({"--memory-type", "2", "--selftest-result", "4"});
  ASSERT_TRUE(server.Running());
  auto result = RunProgram({OrvanePath(), "--port", server.LinkPath(), "selftest"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, "Selftest\nMemory : AT28C64\nSelftest failed\n");

  result = RunProgram({OrvanePath(), "--port", "/nonexistent/tty", "test", "serial"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, "");
  const auto split = test_support::SplitHints(result.err);
  EXPECT_EQ(split.messages,
            "/nonexistent/tty already used by other application\n"
            "Can't find Orvane board at /nonexistent/tty\n");
  ASSERT_EQ(split.hints.size(), 1u);
  EXPECT_EQ(split.hints[0].rfind("there is no port /nonexistent/tty; ", 0), 0u) << split.hints[0];

  result = RunProgram({OrvanePath(), "--port", server.LinkPath(), "test", "video"});
  EXPECT_EQ(result.exitCode, 2);
}

}  // namespace
}  // namespace orvane::boardtest
