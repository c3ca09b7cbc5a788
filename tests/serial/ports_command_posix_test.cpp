// `orvane ports`, run as a user runs it.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "serial/com_port.h"
#include "support/board_server_posix.h"

namespace orvane::serial {
namespace {

std::vector<std::string> RunPorts(const std::string& environment) {
  const test_support::ProgramResult run =
      test_support::RunProgram({test_support::OrvanePath(), "ports"}, {environment});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  std::vector<std::string> lines;
  std::istringstream in(run.out);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(PortsCommand, ListsThePortsOneALineInListOrder) {
  std::vector<std::string> expected;
  ListPorts(expected);
  EXPECT_EQ(RunPorts("ORVANE_VIRTUAL_BOARD=0"), expected);

  const auto withBoard = RunPorts("ORVANE_VIRTUAL_BOARD=1");
  EXPECT_EQ(std::count(withBoard.begin(), withBoard.end(), "VIRTUAL"), 1);
  std::vector<std::string> sorted = withBoard;
  SortPortNames(sorted);
  EXPECT_EQ(withBoard, sorted);
}

}  // namespace
}  // namespace orvane::serial
