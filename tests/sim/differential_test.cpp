// The core against the reference simulator: each program under programs/ (C compiled by sdcc,
// and an assembly walk over every opcode family) must send what s51 sent, recorded in its
// .expected file by programs/record-s51, and then end in its final loop.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "support/board_program.h"

namespace orvane::sim::test {
namespace {

std::string ProgramFile(const std::string& name) {
  return std::string(ORVANE_SOURCE_DIR) + "/tests/sim/programs/" + name;
}

class Differential : public ::testing::TestWithParam<const char*> {};

TEST_P(Differential, SendsWhatTheReferenceSent) {
  const std::string name = GetParam();
  std::ifstream expectedFile(ProgramFile(name + ".expected"), std::ios::binary);
  const std::string expected{std::istreambuf_iterator<char>(expectedFile), {}};
  ASSERT_FALSE(expected.empty());

  BoardModel board;
  ASSERT_TRUE(test_support::LoadHex(board, ProgramFile(name + ".ihx")));
  RunLimits limits;
  limits.maxCycles = 50'000'000;
  const auto run = test_support::RunLoaded(board, limits);
  EXPECT_EQ(run.output, expected);
  EXPECT_EQ(run.end, RunEnd::ProgramEnded);
}

INSTANTIATE_TEST_SUITE_P(Programs, Differential,
                         ::testing::Values("arith", "bits", "interrupts", "opcodes"));

}  // namespace
}  // namespace orvane::sim::test
