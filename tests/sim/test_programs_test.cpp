// The five test programs the testing window downloads, run on the board model: what each must
// be seen to do on the board, and what the host's exchanges with echo and memrw rely on.
#include <gtest/gtest.h>

#include <string>

#include "support/board_program.h"

namespace orvane::sim::test {
namespace {

using test_support::LoadHex;
using test_support::RunLoaded;
using test_support::TestProgramPath;

constexpr std::uint64_t kTenthOfASecond = kMachineCyclesPerSecond / 10;

// Edges a 1 kHz square wave makes in a tenth of a second, with room for the program's start.
void ExpectKilohertzSquareWave(std::uint64_t edges, const std::string& pin) {
  EXPECT_GE(edges, 180u) << pin;
  EXPECT_LE(edges, 220u) << pin;
}

TEST(TestPrograms, Wave1TogglesEveryPort1Pin) {
  BoardModel board;
  ASSERT_TRUE(LoadHex(board, TestProgramPath("wave1")));
  RunLimits limits;
  limits.maxCycles = kTenthOfASecond;
  RunLoaded(board, limits);
  for (int pin = 0; pin < 8; ++pin) {
    ExpectKilohertzSquareWave(board.P1Edges(pin), "P1." + std::to_string(pin));
  }
}

TEST(TestPrograms, Wave2TogglesEveryPpiPinAsOutputs) {
  BoardModel board;
  ASSERT_TRUE(LoadHex(board, TestProgramPath("wave2")));
  RunLimits limits;
  limits.maxCycles = kTenthOfASecond;
  RunLoaded(board, limits);
  for (int port = 0; port < 3; ++port) {
    EXPECT_EQ(board.Ppi().OutputMask(port), 0xFF);
    for (int pin = 0; pin < 8; ++pin) {
      ExpectKilohertzSquareWave(board.Ppi().Edges(port, pin),
                                "port " + std::to_string(port) + " pin " + std::to_string(pin));
    }
  }
}

TEST(TestPrograms, DispmsgShowsSymbolsAndTextWithoutLosingAWrite) {
  BoardModel board;
  ASSERT_TRUE(LoadHex(board, TestProgramPath("dispmsg")));
  const auto run = RunLoaded(board, RunLimits{});
  EXPECT_EQ(run.end, RunEnd::ProgramEnded);
  EXPECT_EQ(board.Lcd().Line(0), "*#$%&@<>=+?!^~[]");
  EXPECT_EQ(board.Lcd().Line(1), "Orvane LCD test");
  EXPECT_EQ(board.Lcd().LostWrites(), 0u);
}

TEST(TestPrograms, EchoSendsBackEveryValueAtTheLineRate) {
  BoardModel board;
  ASSERT_TRUE(LoadHex(board, TestProgramPath("echo")));
  std::string values;
  for (int v = 0; v < 256; ++v) values += static_cast<char>(v);
  RunLimits limits;
  limits.maxCycles = kMachineCyclesPerSecond;  // 256 bytes each way take 45 ms at 57600
  const auto run = RunLoaded(board, limits, values);
  EXPECT_EQ(run.output, values);
  EXPECT_EQ(board.Cpu().SerialOverruns(), 0u);
}

struct MemoryCase {
  bool stuck;
  const char* report;
};

class Memrw : public ::testing::TestWithParam<MemoryCase> {};

TEST_P(Memrw, ReportsFourQuartersThenTheOutcomeNeverASecondApart) {
  BoardModel board;
  if (GetParam().stuck) board.SetStuckBit(StuckBit{});
  ASSERT_TRUE(LoadHex(board, TestProgramPath("memrw")));
  RunLimits limits;
  limits.maxCycles = 10 * kMachineCyclesPerSecond;
  const auto run = RunLoaded(board, limits);
  EXPECT_EQ(run.output, GetParam().report);
  EXPECT_EQ(run.end, RunEnd::ProgramEnded);
  std::uint64_t previous = 0;
  for (std::uint64_t at : run.sentAt) {
    EXPECT_LT(at - previous, kMachineCyclesPerSecond);
    previous = at;
  }
}

INSTANTIATE_TEST_SUITE_P(Ram, Memrw,
                         ::testing::Values(MemoryCase{false, "LLLLS"}, MemoryCase{true, "LLLLF"}));

}  // namespace
}  // namespace orvane::sim::test
