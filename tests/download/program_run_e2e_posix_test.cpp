// A download that runs, end to end: `orvane download` of an sdcc-compiled program to
// orvane-board on a pseudo-terminal, after which the program runs in real time on the board and
// its serial output can be read from the terminal. The test holds the terminal open across the
// download: closing it for the last time is what a pseudo-terminal shows of DTR falling, which
// sends the board back to its monitor.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <regex>
#include <string>
#include <vector>

#include "support/board_program.h"
#include "support/board_server_posix.h"

namespace orvane::download::test {
namespace {

using test_support::BoardServer;
using test_support::OrvanePath;
using test_support::RunProgram;

std::string ProgramFile(const std::string& name) {
  return std::string(ORVANE_SOURCE_DIR) + "/tests/download/programs/" + name;
}

// The terminal, raw at 57600, closed with the object.
class Terminal {
 public:
  explicit Terminal(const std::string& path) : fd_(open(path.c_str(), O_RDWR | O_NOCTTY)) {
    termios line{};
    if (fd_ < 0 || tcgetattr(fd_, &line) != 0) return;
    cfmakeraw(&line);
    cfsetspeed(&line, B57600);
    tcsetattr(fd_, TCSANOW, &line);
  }
  ~Terminal() {
    if (fd_ >= 0) close(fd_);
  }
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;
  bool Open() const { return fd_ >= 0; }
  bool Write(const std::string& text) {
    return write(fd_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  }

  // Reads until the text holds `wanted` or `timeoutMs` have passed.
  std::string ReadUntil(const std::string& wanted, int timeoutMs) {
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (text.find(wanted) == std::string::npos) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      pollfd fd{fd_, POLLIN, 0};
      if (left.count() <= 0 || poll(&fd, 1, static_cast<int>(left.count())) <= 0) break;
      char buffer[256];
      const ssize_t n = read(fd_, buffer, sizeof buffer);
      if (n <= 0) break;
      text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
  }

 private:
  int fd_;
};

// `orvane-board --run` on the five test programs as built: what each one shows on its serial
// port (standard output) and on its pins and LCD (the report on standard error).
TEST(ProgramRunEndToEnd, TheTestProgramsRunOnTheCommandLine) {
  struct Case {
    std::string command;  // run by the shell, in the build folder
    std::string out;
    std::vector<std::string> errLines;  // each must stand in the report
  };
  const std::string allEdges = "([1-9][0-9]* ){7}[1-9][0-9]*";
  const Case cases[] = {
      {"./orvane-board --run wave1.hex --report --cycles 100000",
       "",
       {"cycles: 100000", "P1 edges: " + allEdges}},
      {"./orvane-board --run wave2.hex --report --cycles 100000",
       "",
       {"PPI A edges: " + allEdges, "PPI B edges: " + allEdges, "PPI C edges: " + allEdges}},
      {"./orvane-board --run dispmsg.hex --report", "", {"LCD 1: .+", "LCD 2: .+"}},
      {"./orvane-board --run memrw.hex", "LLLLS", {}},
      {"./orvane-board --run memrw.hex --stuck-bit 0x9234:3:1", "LLLLF", {}},
      {"printf hello | ./orvane-board --run echo.hex --stdin --until hello", "hello", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    const auto result =
        RunProgram({"/bin/sh", "-c", "cd " ORVANE_BINARY_DIR " && " + c.command}, {}, 30000);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, c.out);
    for (const std::string& line : c.errLines) {
      EXPECT_TRUE(std::regex_search(result.err, std::regex("(^|\n)" + line + "\n"))) << line;
    }
  }
}

TEST(ProgramRunEndToEnd, ADownloadedProgramRunsAndIsHeardOnTheTerminal) {
  BoardServer server;
  ASSERT_TRUE(server.Running());
  Terminal terminal(server.LinkPath());
  ASSERT_TRUE(terminal.Open());

  const auto result = RunProgram(
      {OrvanePath(), "download", ProgramFile("ticker.ihx"), "--port", server.LinkPath()});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "Downloading succeded\n");

  // A tick every 20 ms of board time, which runs in real time: a few within a second.
  const std::string heard = terminal.ReadUntil("\r\ntick ", 2000);
  EXPECT_NE(heard.find("\r\ntick "), std::string::npos) << heard;
}

// Downloads the echo program while the terminal is held open, so that it keeps running.
void StartEchoProgram(const BoardServer& server, const Terminal& terminal) {
  ASSERT_TRUE(server.Running());
  ASSERT_TRUE(terminal.Open());
  const auto result = RunProgram({OrvanePath(), "download", test_support::TestProgramPath("echo"),
                                  "--port", server.LinkPath()});
  ASSERT_EQ(result.exitCode, 0) << result.err;
}

TEST(ProgramRunEndToEnd, AQuietProgramIsNotResetForBeingQuiet) {
  BoardServer server({"--idle-reset-ms", "200"});
  Terminal terminal(server.LinkPath());
  ASSERT_NO_FATAL_FAILURE(StartEchoProgram(server, terminal));

  // Well past the idle reset, the echo program still answers.
  EXPECT_EQ(terminal.ReadUntil("-", 600), "");
  ASSERT_TRUE(terminal.Write("hello"));
  EXPECT_EQ(terminal.ReadUntil("hello", 2000), "hello");
}

// Our Wine shim pulses DTR by opening the terminal once more while the host holds it: the
// running program stops and the monitor takes the next handshake.
TEST(ProgramRunEndToEnd, AnotherOpenOfTheTerminalIsADtrPulse) {
  BoardServer server;
  Terminal terminal(server.LinkPath());
  ASSERT_NO_FATAL_FAILURE(StartEchoProgram(server, terminal));
  ASSERT_TRUE(terminal.Write("x"));
  ASSERT_EQ(terminal.ReadUntil("x", 2000), "x");  // the echo program runs

  { Terminal pulse(server.LinkPath()); }
  ASSERT_TRUE(terminal.Write("\x80*"));
  EXPECT_EQ(terminal.ReadUntil("+", 2000), "+");
}

}  // namespace
}  // namespace orvane::download::test
