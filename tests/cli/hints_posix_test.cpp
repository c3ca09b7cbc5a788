// The next steps the command-line tool suggests after an error: one per cause it can tell.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "cli/hints.h"

namespace orvane::cli {
namespace {

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(Hints, EachCauseOfAPortThatDidNotOpen) {
  struct Case {
    serial::SysError error;
    std::vector<std::string> present;
    std::string holders;
    std::string expected;  // empty: no hint
  };
  const Case cases[] = {
      {ENOENT,
       {"/dev/ttyS0", "/dev/ttyUSB0"},
       "",
       "there is no port /dev/ttyUSB3; the ports present: /dev/ttyS0, /dev/ttyUSB0"},
      {ENODEV,
       {},
       "",
       "there is no port /dev/ttyUSB3; no serial port is present (is the converter plugged in?)"},
      {EACCES,
       {},
       "",
       "permission to use /dev/ttyUSB3 was refused: add your user to the dialout group ('sudo "
       "usermod -aG dialout $USER'), then log in again"},
      {EBUSY,
       {},
       "minicom (pid 4242)",
       "/dev/ttyUSB3 is held by minicom (pid 4242); end it and try again"},
      {EBUSY, {}, "", "another program has /dev/ttyUSB3 open; end it and try again"},
      {ENOTTY,
       {"/dev/ttyS0"},
       "",
       "/dev/ttyUSB3 is not a serial port; the ports present: /dev/ttyS0"},
      {EIO, {"/dev/ttyS0"}, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    const auto hint = OpenFailureHint("/dev/ttyUSB3", c.error, c.present, c.holders);
    EXPECT_EQ(hint.value_or(""), c.expected);
  }
}

TEST(Hints, ANetworkBoardThatDidNotConnect) {
  struct Case {
    const char* port;
    serial::SysError error;
    std::string expected;
  };
  const Case cases[] = {
      {"rfc2217://lab1:4001", ENXIO,
       "the host lab1 was not found: check its name, or give its address"},
      {"rfc2217://10.0.0.7:4001", ECONNREFUSED,
       "no network serial server answered at 10.0.0.7 port 4001: is the server running there, "
       "are the address and port right, and does no firewall block port 4001?"},
      {"rfc2217://[::1]:4002", ETIMEDOUT,
       "no network serial server answered at ::1 port 4002: is the server running there, are the "
       "address and port right, and does no firewall block port 4002?"},
      {"rfc2217://lab1", EINVAL,
       "a network board is named rfc2217://HOST:PORT, the port number required (an IPv6 address "
       "in brackets: rfc2217://[::1]:4001)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OpenFailureHint(c.port, c.error, {"/dev/ttyS0"}, "").value_or(""), c.expected)
        << c.port;
  }
}

TEST(Hints, ABoardThatDidNotAnswer) {
  const std::string one = SilentBoardHint("/dev/ttyUSB0", "57600", false, true);
  EXPECT_TRUE(Contains(one, "did not answer on /dev/ttyUSB0 at 57600 bit/s")) << one;
  for (const char* step : {"power", "cable", "--baud", "--auto"}) {
    EXPECT_TRUE(Contains(one, step)) << step;
  }
  EXPECT_TRUE(Contains(SilentBoardHint("", "", true, true), "no board answered on any port"));
  EXPECT_TRUE(Contains(SilentBoardHint("/dev/ttyUSB0", "", true, true),
                       "no board answered on /dev/ttyUSB0 at any rate"));
  EXPECT_TRUE(Contains(SilentBoardHint("", "", true, false), "no serial port is present"));
}

TEST(Hints, LatencyOnlyForAlgorithmsThatWaitForEachByteOverASlowTimer) {
  const std::string path = "/sys/bus/usb-serial/devices/ttyUSB0/latency_timer";
  // 8192 answers held 16 ms each.
  const auto slow = LatencyHint("/dev/ttyUSB0", 3, 8192, 16, path);
  ASSERT_TRUE(slow);
  EXPECT_TRUE(Contains(*slow, "131 s (8192 answers)")) << *slow;
  EXPECT_TRUE(Contains(*slow, "echo 1 > " + path)) << *slow;
  EXPECT_TRUE(Contains(*slow, "--algorithm page")) << *slow;
  // No file to write: only the other algorithm.
  const auto noFile = LatencyHint("/dev/ttyUSB0", 2, 100, 16, "");
  ASSERT_TRUE(noFile);
  EXPECT_FALSE(Contains(*noFile, "echo")) << *noFile;
  EXPECT_FALSE(LatencyHint("/dev/ttyUSB0", 0, 8192, 16, path));  // the page algorithm
  EXPECT_FALSE(LatencyHint("/dev/ttyUSB0", 3, 8192, 1, path));   // already low
}

TEST(Hints, TheProgramsThatHoldAPort) {
  int master = -1;
  int slave = -1;
  char name[128] = {};
  ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
  // This process holds it; left out as the caller, it is found as another program.
  const std::string self = std::to_string(getpid());
  EXPECT_EQ(PortHolders(name, "", getpid()), "");
  const std::string holders = PortHolders(name, "", 1);
  EXPECT_TRUE(Contains(holders, "(pid " + self + ")")) << holders;
  close(slave);
  close(master);
  EXPECT_EQ(PortHolders("/dev/nonexistent-tty", "", 1), "");
}

}  // namespace
}  // namespace orvane::cli
