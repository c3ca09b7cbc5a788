// Many boards at once (--ports), end to end: orvane-board on a pseudo-terminal per board, some of
// them faulty, and the hints that follow the tool's messages.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "serial/com_port.h"
#include "support/board_server_posix.h"
#include "support/hint_lines.h"
#include "support/temp_folder.h"
#include "support/terminal_run_posix.h"

namespace orvane::cli {
namespace {

namespace fs = std::filesystem;
using test_support::BoardServer;
using test_support::FileBytes;
using test_support::HexDataFile;
using test_support::OrvanePath;
using test_support::RunProgram;
using test_support::SplitHints;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(ParallelRun, EveryBoardGetsTheImage) {
  std::vector<std::unique_ptr<BoardServer>> boards;
  std::string ports;
  std::string expectedOut;
  for (int i = 0; i < 3; ++i) {
    boards.push_back(std::make_unique<BoardServer>());
    ASSERT_TRUE(boards.back()->Running());
    ports += (i ? "," : "") + boards.back()->LinkPath();
    expectedOut += boards.back()->LinkPath() + ": Downloading succeded\n";
  }
  const auto result = RunProgram({OrvanePath(), "download", HexDataFile("objcopy-3000.hex"),
                                  "--ports", ports, "--algorithm", "byte-verified"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, expectedOut);
  EXPECT_EQ(result.err, "");
  const auto expected = FileBytes(HexDataFile("random-3000.bin"));
  for (auto& board : boards) EXPECT_EQ(board->Memory(expected.size()), expected);
}

TEST(ParallelRun, FailingBoardsDoNotStopTheOthers) {
  BoardServer first;
  BoardServer silent({"--silent-after", "0"});
  BoardServer vanishing({"--vanish-after-bytes", "1000"});
  BoardServer last;
  for (auto* board : {&first, &silent, &vanishing, &last}) ASSERT_TRUE(board->Running());
  const std::string absent = first.LinkPath() + "-absent";
  const std::vector<std::string> ports{first.LinkPath(), silent.LinkPath(), absent,
                                       vanishing.LinkPath(), last.LinkPath()};
  std::string list;
  for (const std::string& port : ports) list += (list.empty() ? "" : ",") + port;

  const auto result =
      RunProgram({OrvanePath(), "download", HexDataFile("objcopy-3000.hex"), "--ports", list});
  EXPECT_EQ(result.exitCode, 1);
  // One line per port, in the order given.
  std::vector<std::string> lines;
  std::istringstream out(result.out);
  for (std::string line; std::getline(out, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 5u) << result.out;
  EXPECT_EQ(lines[0], ports[0] + ": Downloading succeded");
  EXPECT_EQ(lines[1], ports[1] + ": Downloading failure: Board can't initialized");
  EXPECT_EQ(lines[2],
            ports[2] + ": Downloading failure: " + absent + " already used by other application");
  EXPECT_EQ(lines[3].rfind(ports[3] + ": Downloading failure: ", 0), 0u) << lines[3];
  EXPECT_TRUE(Contains(lines[3], "function failed")) << lines[3];
  EXPECT_EQ(lines[4], ports[4] + ": Downloading succeded");

  const auto split = SplitHints(result.err);
  EXPECT_EQ(split.messages, "");
  ASSERT_EQ(split.hints.size(), 2u) << result.err;
  EXPECT_TRUE(Contains(split.hints[0], "did not answer on " + ports[1])) << split.hints[0];
  EXPECT_TRUE(Contains(split.hints[1], "there is no port " + absent)) << split.hints[1];

  const auto expected = FileBytes(HexDataFile("random-3000.bin"));
  EXPECT_EQ(first.Memory(expected.size()), expected);
  EXPECT_EQ(last.Memory(expected.size()), expected);
}

TEST(ParallelRun, ATestOnEveryBoardGivesEachOutcome) {
  BoardServer good;
  BoardServer silent({"--silent-after", "0"});
  ASSERT_TRUE(good.Running() && silent.Running());
  const auto result = RunProgram(
      {OrvanePath(), "test", "serial", "--ports", good.LinkPath() + "," + silent.LinkPath()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, good.LinkPath() + ": Serial testing done\n" + silent.LinkPath() +
                            ": Can't find Orvane board at " + silent.LinkPath() + "\n");
  const auto split = SplitHints(result.err);
  ASSERT_EQ(split.hints.size(), 1u) << result.err;
  EXPECT_TRUE(Contains(split.hints[0], "did not answer on " + silent.LinkPath()));
}

TEST(ParallelRun, OneBarPerPortOnATerminal) {
  BoardServer a;
  BoardServer b;
  ASSERT_TRUE(a.Running() && b.Running());
  int exitCode = -1;
  const std::string shown =
      test_support::RunWithTerminalStderr({OrvanePath(), "download", HexDataFile("objcopy-200.hex"),
                                           "--ports", a.LinkPath() + "," + b.LinkPath()},
                                          &exitCode);
  EXPECT_EQ(exitCode, 0) << shown;
  for (const BoardServer* board : {&a, &b}) {
    EXPECT_TRUE(Contains(
        shown, board->LinkPath() + ": Downloading succeded [" + std::string(40, '#') + "] 100%"))
        << shown;
  }
}

TEST(ParallelRun, APortNamedTwiceIsAUsageError) {
  const auto result = RunProgram(
      {OrvanePath(), "download", HexDataFile("objcopy-1.hex"), "--ports", "VIRTUAL,VIRTUAL"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.err, "--ports names VIRTUAL twice\n");
}

TEST(Hints, AHeldPortNamesTheProgramThatHoldsIt) {
  BoardServer board;
  ASSERT_TRUE(board.Running());
  serial::TComPort other;  // this test program holds the port
  other.SetPort(board.LinkPath());
  other.Open();
  const auto result = RunProgram(
      {OrvanePath(), "download", HexDataFile("objcopy-1.hex"), "--port", board.LinkPath()});
  EXPECT_EQ(result.exitCode, 1);
  const auto split = SplitHints(result.err);
  ASSERT_EQ(split.hints.size(), 1u) << result.err;
  EXPECT_EQ(split.hints[0], board.LinkPath() + " is held by cli_tests (pid " +
                                std::to_string(getpid()) + "); end it and try again");
}

// The converter's latency timer, from a fake sysfs tree that gives the board's terminal one.
TEST(Hints, ASlowLatencyTimerBeforeAnAlgorithmThatWaitsForEachByte) {
  BoardServer board({"--latency-ms", "2"});
  ASSERT_TRUE(board.Running());
  test_support::TempFolder root;
  const std::string tty = fs::path(board.TerminalPath()).filename().string();
  const fs::path timer = root / ("sys/bus/usb-serial/devices/" + tty + "/latency_timer");
  fs::create_directories(timer.parent_path());
  std::ofstream(timer) << "16\n";
  const std::string environment = "ORVANE_SYSTEM_ROOT=" + root.Path().string();

  const auto slow = RunProgram({OrvanePath(), "download", HexDataFile("objcopy-200.hex"), "--port",
                                board.LinkPath(), "--algorithm", "byte"},
                               {environment});
  EXPECT_EQ(slow.exitCode, 0) << slow.err;
  const auto split = SplitHints(slow.err);
  ASSERT_EQ(split.hints.size(), 1u) << slow.err;
  EXPECT_EQ(split.hints[0], "the converter of " + board.LinkPath() +
                                " holds each answer up to 16 ms, so this download may take "
                                "3.2 s (200 answers); lower the timer with 'echo 1 > " +
                                timer.string() +
                                "' (as root) or choose --algorithm page, "
                                "which waits once a page");

  const auto page = RunProgram({OrvanePath(), "download", HexDataFile("objcopy-200.hex"), "--port",
                                board.LinkPath(), "--algorithm", "page"},
                               {environment});
  EXPECT_EQ(page.exitCode, 0) << page.err;
  EXPECT_EQ(page.err, "");
}

TEST(PortsLong, TabSeparatedFieldsForEveryPort) {
  const auto plain = RunProgram({OrvanePath(), "ports"}, {"ORVANE_VIRTUAL_BOARD=1"});
  const auto detailed = RunProgram({OrvanePath(), "ports", "--long"}, {"ORVANE_VIRTUAL_BOARD=1"});
  EXPECT_EQ(detailed.exitCode, 0);
  std::istringstream names(plain.out);
  std::istringstream lines(detailed.out);
  std::string name;
  std::string line;
  int count = 0;
  while (std::getline(names, name)) {
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_EQ(line.rfind(name + "\t", 0), 0u) << line;
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 3) << line;
    ++count;
  }
  EXPECT_FALSE(std::getline(lines, line));
  EXPECT_GE(count, 1);
  EXPECT_TRUE(Contains(detailed.out, "VIRTUAL\tin-process virtual board\t\t\n"));
}

}  // namespace
}  // namespace orvane::cli
