// The port object over the termios device, against a real pseudo-terminal pair: the test plays
// the board on the master side. Time-outs here are real (about 100 ms each).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

#include "board/port_defaults.h"
#include "serial/com_port.h"
#include "support/com_error_expectations.h"

namespace orvane::serial {
namespace {

using test_support::RaisesComError;

using Clock = std::chrono::steady_clock;

std::int64_t MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class PtyPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[128] = {};
    ASSERT_EQ(openpty(&master_, &slave_, name, nullptr, nullptr), 0) << errno;
    slaveName_ = name;
    board::ApplyPortDefaults(port_);
    port_.SetPort(slaveName_);
    port_.Timeouts().SetReadTotalConstant(100);
  }

  void TearDown() override {
    port_.Close();
    if (master_ >= 0) close(master_);
    close(slave_);
  }

  void Feed(std::vector<std::uint8_t> bytes) {
    ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  // The bytes the port sent, as many as come within a second.
  std::vector<std::uint8_t> Drain(size_t expected) {
    std::vector<std::uint8_t> got;
    const auto deadline = Clock::now() + std::chrono::seconds(1);
    while (got.size() < expected && Clock::now() < deadline) {
      pollfd entry{master_, POLLIN, 0};
      if (poll(&entry, 1, 50) <= 0) continue;
      std::uint8_t chunk[512];
      const ssize_t n = read(master_, chunk, sizeof chunk);
      if (n > 0) got.insert(got.end(), chunk, chunk + n);
    }
    return got;
  }

  // Waits (at most a second) until the port's input queue holds `count` bytes.
  bool WaitQueued(int count) {
    const auto deadline = Clock::now() + std::chrono::seconds(1);
    while (port_.PendingInputCount() < count) {
      if (Clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }

  int master_ = -1;
  int slave_ = -1;
  std::string slaveName_;
  TComPort port_;
};

TEST_F(PtyPortTest, EveryByteValuePassesUnchangedBothWays) {
  port_.Open();
  std::vector<std::uint8_t> all(256);
  for (int i = 0; i < 256; ++i) all[i] = static_cast<std::uint8_t>(i);
  for (std::uint8_t byte : all) ASSERT_EQ(port_.Write(&byte, 1), 1);
  EXPECT_EQ(Drain(256), all) << "the line must be raw: no XON/XOFF, CR/LF or signal handling";

  Feed(all);
  std::vector<std::uint8_t> received;
  std::uint8_t byte = 0;
  while (received.size() < 256 && port_.Read(&byte, 1) == 1) received.push_back(byte);
  EXPECT_EQ(received, all);
}

TEST_F(PtyPortTest, FirstByteReadRules) {
  port_.Open();
  std::uint8_t buffer[10] = {};

  Feed({0x2B});
  ASSERT_TRUE(WaitQueued(1));
  auto start = Clock::now();
  EXPECT_EQ(port_.Read(buffer, 1), 1);
  EXPECT_LT(MsSince(start), 90) << "a waiting byte returns at once";
  EXPECT_EQ(buffer[0], 0x2B);

  // A long time-out, so that a late start of the feeding thread cannot make it run out.
  port_.Timeouts().SetReadTotalConstant(2000);
  {
    std::jthread board([this] {
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
      Feed({0x55});
    });
    start = Clock::now();
    EXPECT_EQ(port_.Read(buffer, 1), 1);
  }
  const auto waited = MsSince(start);
  EXPECT_GE(waited, 20);
  EXPECT_LT(waited, 1000) << "a byte arriving within the time-out ends the read at once";
  EXPECT_EQ(buffer[0], 0x55);
  port_.Timeouts().SetReadTotalConstant(100);

  start = Clock::now();
  EXPECT_EQ(port_.Read(buffer, 1), 0);
  EXPECT_GE(MsSince(start), 100);
  EXPECT_LT(MsSince(start), 1000);

  Feed({1, 2, 3});
  ASSERT_TRUE(WaitQueued(3));
  start = Clock::now();
  EXPECT_EQ(port_.Read(buffer, 10), 3) << "never waits to fill the buffer";
  EXPECT_LT(MsSince(start), 90);
}

TEST_F(PtyPortTest, OtherReadRules) {
  port_.Open();
  std::uint8_t buffer[10] = {};
  port_.Timeouts().SetReadTotalMultiplier(0);
  port_.Timeouts().SetReadTotalConstant(0);
  auto start = Clock::now();
  EXPECT_EQ(port_.Read(buffer, 10), 0) << "interval -1 without totals takes what is there";
  EXPECT_LT(MsSince(start), 500);

  // A gap limit of 20 ms ends a read long before its total of 2 s.
  port_.Timeouts().SetReadInterval(20);
  port_.Timeouts().SetReadTotalConstant(2000);
  Feed({1, 2, 3});
  start = Clock::now();
  EXPECT_EQ(port_.Read(buffer, 10), 3);
  EXPECT_LT(MsSince(start), 500);
  Feed({4, 5});
  EXPECT_EQ(port_.Read(buffer, 2), 2) << "a full buffer ends the read";

  port_.Timeouts().SetReadInterval(0);
  port_.Timeouts().SetReadTotalConstant(100);
  start = Clock::now();
  EXPECT_EQ(port_.Read(buffer, 10), 0);
  EXPECT_GE(MsSince(start), 100);
}

TEST_F(PtyPortTest, WriteHeldBackReturnsWhatWentOutWithoutError) {
  port_.Open();
  port_.Timeouts().SetWriteTotalMultiplier(0);
  port_.Timeouts().SetWriteTotalConstant(100);
  std::vector<std::uint8_t> big(1 << 20, 0xA5);  // far more than the pty holds; nobody reads
  const auto start = Clock::now();
  const std::int32_t written = port_.Write(big.data(), static_cast<std::int32_t>(big.size()));
  EXPECT_LT(written, static_cast<std::int32_t>(big.size()));
  EXPECT_GE(MsSince(start), 100);
  EXPECT_LT(MsSince(start), 1000);
}

TEST_F(PtyPortTest, HeldPortDoesNotOpenUntilReleased) {
  port_.Open();
  TComPort second;
  second.SetPort(slaveName_);
  EXPECT_TRUE(RaisesComError([&] { second.Open(); }, 1, static_cast<std::uint32_t>(EBUSY),
                             "Unable to open com port (error 16: Device or resource busy)"));
  EXPECT_FALSE(second.Connected());
  port_.Close();
  EXPECT_NO_THROW(second.Open());
  EXPECT_TRUE(second.Connected());
}

TEST_F(PtyPortTest, PurgeDiscardsWaitingInput) {
  port_.Open();
  Feed({1, 2, 3, 4, 5});
  ASSERT_TRUE(WaitQueued(5));
  port_.PurgeBuffers(true, true);
  EXPECT_EQ(port_.PendingInputCount(), 0);
  std::uint8_t byte = 0;
  EXPECT_EQ(port_.Read(&byte, 1), 0);
}

TEST_F(PtyPortTest, LineWithoutModemLinesWorks) {
  port_.Open();
  EXPECT_NO_THROW(port_.SetDTR(false));
  EXPECT_NO_THROW(port_.SetDTR(true));
  EXPECT_EQ(port_.LineSignals(), 0u);
  EXPECT_TRUE(port_.TakeLineErrors().Empty());
  port_.SetBaudRate(br56000);  // outside the termios table
  port_.SetBaudRate(br256000);
  EXPECT_TRUE(port_.Connected());
}

TEST_F(PtyPortTest, ErrorsCarryTheErrno) {
  auto openError = [](const std::string& name) -> std::uint32_t {
    TComPort port;
    port.SetPort(name);
    try {
      port.Open();
    } catch (const EComPort& e) {
      EXPECT_EQ(e.ErrorCode(), 1);
      EXPECT_FALSE(port.Connected());
      return e.SystemErrorCode();
    }
    return 0;
  };
  EXPECT_EQ(openError("/dev/no-such-serial-port"), static_cast<std::uint32_t>(ENOENT));
  EXPECT_EQ(openError("no-such-serial-port"), static_cast<std::uint32_t>(ENOENT));
  EXPECT_EQ(openError("/dev/null"), static_cast<std::uint32_t>(ENOTTY));
  EXPECT_EQ(openError(""), static_cast<std::uint32_t>(ENOENT));

  std::uint8_t byte = 0;
  EXPECT_TRUE(RaisesComError([&] { port_.Write(&byte, 1); }, 2, static_cast<std::uint32_t>(EBADF)));

  // A bare name means a device under /dev.
  port_.SetPort(slaveName_.substr(5));
  EXPECT_NO_THROW(port_.Open());

  port_.SetCustomBaudRate(0);
  EXPECT_TRUE(
      RaisesComError([&] { port_.SetBaudRate(brCustom); }, 7, static_cast<std::uint32_t>(EINVAL)));
}

TEST_F(PtyPortTest, VanishedPeerIsAnErrorNotASpin) {
  port_.Open();
  close(master_);
  master_ = -1;
  std::uint8_t byte = 0;
  const auto start = Clock::now();
  EXPECT_TRUE(RaisesComError([&] { port_.Read(&byte, 1); }, 3, static_cast<std::uint32_t>(EIO)));
  EXPECT_LT(MsSince(start), 500);
  EXPECT_FALSE(port_.Connected()) << "the dead device is let go before the error is raised";
  EXPECT_TRUE(RaisesComError([&] { port_.Write(&byte, 1); }, 2, InvalidHandleError()));

  // The line comes back under the same name (a converter plugged in again): the next Open opens
  // it anew and bytes pass.
  close(slave_);
  char name[128] = {};
  ASSERT_EQ(openpty(&master_, &slave_, name, nullptr, nullptr), 0) << errno;
  port_.SetPort(name);
  port_.Open();
  Feed({0x2B});
  EXPECT_EQ(port_.Read(&byte, 1), 1);
  EXPECT_EQ(byte, 0x2B);
}

}  // namespace
}  // namespace orvane::serial
