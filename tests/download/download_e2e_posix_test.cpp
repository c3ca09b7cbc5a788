// `orvane download` end to end: real HEX files made by srec_cat and objcopy, through the real
// serial layer to orvane-board on a pseudo-terminal, in real time; the board's memory dump must
// equal the image. Also the in-process virtual board, the command's messages and its progress
// bar on a terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "board/board_messages.h"
#include "support/board_program.h"
#include "support/board_server_posix.h"
#include "support/hint_lines.h"
#include "support/temp_folder.h"
#include "support/terminal_run_posix.h"

namespace orvane::download::test {
namespace {

using test_support::BoardServer;
using test_support::FileBytes;
using test_support::HexDataFile;
using test_support::OrvanePath;
using test_support::RunProgram;
using test_support::RunWithTerminalStderr;

// A HEX file with the given text in a folder of its own, removed with the object.
class TemporaryHex {
 public:
  explicit TemporaryHex(const std::string& text) : path_((folder_ / "program.hex").string()) {
    std::ofstream(path_) << text;
  }
  const std::string& Path() const { return path_; }

 private:
  test_support::TempFolder folder_;
  std::string path_;
};

// Downloads the file to a fresh board and checks its memory: the image's bytes where the file
// reaches, still erased beyond.
void ExpectDownloaded(const std::string& hexFile, const std::string& binaryFile,
                      const std::string& algorithm) {
  SCOPED_TRACE(hexFile + " " + algorithm);
  BoardServer server;
  ASSERT_TRUE(server.Running());
  const auto result = RunProgram({OrvanePath(), "download", HexDataFile(hexFile), "--algorithm",
                                  algorithm, "--port", server.LinkPath()});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "Downloading succeded\n");
  EXPECT_EQ(result.err, "");  // not a terminal: no progress bar

  ASSERT_EQ(server.Stop(), 0);
  const std::vector<unsigned char> memory = server.Dump();
  const std::vector<unsigned char> expected = FileBytes(HexDataFile(binaryFile));
  ASSERT_EQ(memory.size(), 8192u);
  ASSERT_FALSE(expected.empty());
  ASSERT_LE(expected.size(), memory.size());
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), memory.begin()));
  EXPECT_TRUE(std::all_of(memory.begin() + static_cast<long>(expected.size()), memory.end(),
                          [](unsigned char b) { return b == 0xFF; }));
}

TEST(DownloadEndToEnd, AFull8KbImageWithEachAlgorithm) {
  ExpectDownloaded("srec-8192-r16.hex", "random-8192.bin", "page");
  ExpectDownloaded("objcopy-8192.hex", "random-8192.bin", "page-verified");
  ExpectDownloaded("srec-8192-r255.hex", "random-8192.bin", "byte");
  ExpectDownloaded("srec-8192-r32.hex", "random-8192.bin", "byte-verified");
}

TEST(DownloadEndToEnd, SmallAndGappedImagesWithEachAlgorithm) {
  ExpectDownloaded("objcopy-1.hex", "random-1.bin", "page-verified");
  ExpectDownloaded("srec-gap.hex", "srec-gap.bin", "page");
  ExpectDownloaded("srec-3000-r255-lower-crlf.hex", "random-3000.bin", "byte");
  ExpectDownloaded("objcopy-200-crlf.hex", "random-200.bin", "byte-verified");
}

TEST(DownloadEndToEnd, ABoardThatFallsSilentIsAFailure) {
  BoardServer server({"--count-from", "command", "--silent-after", "100"});
  ASSERT_TRUE(server.Running());
  const auto result = RunProgram({OrvanePath(), "download", HexDataFile("objcopy-3000.hex"),
                                  "--algorithm", "page-verified", "--port", server.LinkPath()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, "Downloading failure\n");
  EXPECT_EQ(result.err, "");
}

TEST(DownloadEndToEnd, FilesThatCannotBeDownloadedAreRefusedBeforeConnecting) {
  struct Case {
    std::string text;
    const char* message;
  };
  const Case cases[] = {
      {":0100000001FE\n:00000001FF\n", "Address range error"},  // data below 0x4000
      {":0140000001BD\n:00000001FF\n", "Checksum error"},
      {":00000001FF\n", "No data to download"},                 // nothing at all
      {":0140000001BE\n:007000018F\n", "Address range error"},  // the end claims 0x7000
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TemporaryHex file(c.text);
    // No board anywhere: a refused file must not even try to connect.
    const auto result =
        RunProgram({OrvanePath(), "download", file.Path(), "--port", "/nonexistent/tty"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, std::string(c.message) + "\n");
  }
  const auto missing = RunProgram({OrvanePath(), "download", "/nonexistent/program.hex"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.err, "File not found\n");
}

TEST(DownloadEndToEnd, ConnectionFailuresSayWhatTheWindowSays) {
  const auto unanswered = RunProgram(
      {OrvanePath(), "download", HexDataFile("objcopy-200.hex"), "--port", "/nonexistent/tty"});
  EXPECT_EQ(unanswered.exitCode, 1);
  EXPECT_EQ(unanswered.out, "");
  const auto split = test_support::SplitHints(unanswered.err);
  EXPECT_EQ(split.messages, std::string("/nonexistent/tty") + board::kPortInUseSuffix + "\n" +
                                board::kBoardCheckText + "\n");
  // The window's texts, then the tool's next step.
  ASSERT_EQ(split.hints.size(), 1u);
  EXPECT_EQ(split.hints[0].rfind("there is no port /nonexistent/tty; ", 0), 0u) << split.hints[0];

  const auto noRate = RunProgram({OrvanePath(), "download", HexDataFile("objcopy-200.hex"),
                                  "--port", "VIRTUAL", "--baud", ""});
  EXPECT_EQ(noRate.exitCode, 1);
  EXPECT_EQ(noRate.err, "Select COM Port and Baudrate\n");
}

TEST(DownloadEndToEnd, TheInProcessVirtualBoardAndAScan) {
  const auto direct = RunProgram({OrvanePath(), "download", HexDataFile("srec-3000-r32.hex"),
                                  "--algorithm", "byte", "--port", "VIRTUAL"});
  EXPECT_EQ(direct.exitCode, 0) << direct.err;
  EXPECT_EQ(direct.out, "Downloading succeded\n");
  EXPECT_EQ(direct.err, "");

  const auto scanned = RunProgram(
      {OrvanePath(), "--virtual-board", "download", HexDataFile("objcopy-200.hex"), "--auto"},
      {"ORVANE_VIRTUAL_BOARD=0"});
  EXPECT_EQ(scanned.exitCode, 0) << scanned.err;
  EXPECT_EQ(scanned.out, "Downloading succeded\n");
}

TEST(DownloadEndToEnd, AProgressBarOnATerminal) {
  int exitCode = -1;
  const std::string shown = RunWithTerminalStderr(
      {OrvanePath(), "download", HexDataFile("objcopy-3000.hex"), "--port", "VIRTUAL"}, &exitCode);
  EXPECT_EQ(exitCode, 0) << shown;
  EXPECT_NE(shown.find("Downloading......please wait [          "), std::string::npos) << shown;
  EXPECT_NE(shown.find("] 50%"), std::string::npos);
  EXPECT_NE(shown.find("Downloading succeded [########################################] 100%"),
            std::string::npos);
  // The line is ended, so the shell's prompt starts on a fresh one (the terminal adds the \r).
  EXPECT_EQ(shown.substr(shown.size() - 2), "\r\n");
}

TEST(DownloadEndToEnd, MonitorCopiesWhatTheProgramSendsAfterTheResultLine) {
  BoardServer server(
      {"--program", "memtest", "--memtest-interval-ms", "100", "--idle-reset-ms", "0"});
  ASSERT_TRUE(server.Running());
  const auto start = std::chrono::steady_clock::now();
  const auto result = RunProgram({OrvanePath(), "download", HexDataFile("objcopy-1.hex"), "--port",
                                  server.LinkPath(), "--monitor", "--seconds", "2"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "Downloading succeded\nLLLLS");
  EXPECT_EQ(result.err, "");
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

// Ctrl+C ends the monitor as a success, with the port closed; a board that goes away ends it as
// a failure with the port's message, long before its time is up.
TEST(DownloadEndToEnd, MonitorEndsOnCtrlCOrWhenTheBoardGoesAway) {
  const std::vector<std::string> monitor = {"download", HexDataFile("objcopy-1.hex"), "--monitor",
                                            "--seconds", "30"};
  {
    BoardServer server({"--program", "memtest", "--memtest-interval-ms", "50"});
    ASSERT_TRUE(server.Running());
    // One Ctrl+C, to the program alone (not its group, which would make it a second one).
    std::vector<std::string> argv = {
        "/usr/bin/timeout", "--foreground", "--preserve-status", "-s", "INT", "2",
        OrvanePath(),       "--port",       server.LinkPath()};
    argv.insert(argv.end(), monitor.begin(), monitor.end());
    const auto result = RunProgram(argv);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Downloading succeded\nLLLLS");
  }
  BoardServer server({"--program", "memtest", "--memtest-interval-ms", "50"});
  ASSERT_TRUE(server.Running());
  std::vector<std::string> argv = {OrvanePath(), "--port", server.LinkPath()};
  argv.insert(argv.end(), monitor.begin(), monitor.end());
  const auto start = std::chrono::steady_clock::now();
  // The board goes away once the download and the program's report are through.
  const auto result = RunProgram(argv, {}, 30000, [&server](const std::string& out, pid_t) {
    if (out.ends_with("LLLLS")) server.Stop();
  });
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, "Downloading succeded\nLLLLS");
  EXPECT_NE(result.err.find("function failed"), std::string::npos) << result.err;
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(DownloadEndToEnd, MonitorNeedsNoBoardProgramOnTheVirtualBoard) {
  const auto result =
      RunProgram({OrvanePath(), "download", HexDataFile("objcopy-1.hex"), "--virtual-board",
                  "--port", "VIRTUAL", "--monitor", "--seconds", "0.5"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "Downloading succeded\n");
  const auto orphan = RunProgram({OrvanePath(), "download", HexDataFile("objcopy-1.hex"), "--port",
                                  "VIRTUAL", "--seconds", "1"});
  EXPECT_EQ(orphan.exitCode, 2);  // --seconds needs --monitor
}

TEST(DownloadEndToEnd, ViewShowsTheInProcessBoardAsFramesToAScript) {
  const std::string program = test_support::TestProgramPath("dispmsg");
  const auto result = RunProgram(
      {OrvanePath(), "download", program, "--port", "VIRTUAL", "--view", "--seconds", "5"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out.rfind("Downloading succeded\nP1    11111111\n", 0), 0u) << result.out;
  // The program ends with its text on the LCD, and the frames with it.
  const std::string last = "\nLCD 2 |Orvane LCD test |\n";
  EXPECT_EQ(result.out.substr(result.out.size() - last.size()), last) << result.out;
}

TEST(DownloadEndToEnd, ViewElsewhereThanTheInProcessBoardIsAUsageError) {
  const std::string program = test_support::TestProgramPath("dispmsg");
  const std::vector<std::vector<std::string>> cases = {
      {OrvanePath(), "download", program, "--port", "/dev/ttyS0", "--view"},
      {OrvanePath(), "download", program, "--port", "VIRTUAL", "--view", "--monitor"},
      {OrvanePath(), "download", program, "--port", "VIRTUAL", "--view", "--ports", "VIRTUAL"},
      {OrvanePath(), "download", program, "--port", "VIRTUAL", "--view", "--auto"},
      {test_support::BoardServerPath(), "--view"},
      {test_support::BoardServerPath(), "--run", program, "--speed", "2"},
      {test_support::BoardServerPath(), "--run", program, "--view", "--speed", "fast"},
      {test_support::BoardServerPath(), "--run", program, "--view", "--until", "x"},
      {test_support::BoardServerPath(), "--run", program, "--view", "--stdin"}};
  for (const auto& argv : cases) {
    const auto result = RunProgram(argv);
    EXPECT_EQ(result.exitCode, 2) << argv[3] << " " << argv.back();
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err, "");
  }
}

// Ctrl+C cutting plain-text frames short: the same status from both commands that show a view.
TEST(DownloadEndToEnd, ViewCutShortByCtrlCExits130FromBothCommands) {
  const std::string program = test_support::TestProgramPath("wave1");  // runs for ever
  const std::vector<std::vector<std::string>> cases = {
      {OrvanePath(), "download", program, "--port", "VIRTUAL", "--view"},
      {test_support::BoardServerPath(), "--run", program, "--view"}};
  for (const auto& argv : cases) {
    bool sent = false;
    const auto result = RunProgram(argv, {}, 30000, [&sent](const std::string& out, pid_t pid) {
      if (!sent && out.find("P1 ") != std::string::npos) sent = kill(pid, SIGINT) == 0;
    });
    EXPECT_EQ(result.exitCode, 130) << argv[0] << result.err;
  }
}

}  // namespace
}  // namespace orvane::download::test
