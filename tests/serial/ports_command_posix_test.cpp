// `orvane ports`, run as a user runs it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "serial/com_port.h"

namespace orvane::serial {
namespace {

std::vector<std::string> RunPorts(const std::string& environment) {
  const std::string command = environment + " " ORVANE_BINARY_DIR "/orvane ports";
  std::vector<std::string> lines;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return lines;
  std::string text;
  char chunk[256];
  while (size_t n = fread(chunk, 1, sizeof chunk, pipe)) text.append(chunk, n);
  EXPECT_EQ(pclose(pipe), 0);
  std::istringstream in(text);
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
