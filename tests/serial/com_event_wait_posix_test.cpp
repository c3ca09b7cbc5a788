// The event thread on a real pseudo-terminal: received bytes are reported without being taken,
// bytes left unread cost no CPU while they wait, and the next bytes are reported again.
#include <gtest/gtest.h>
#include <pty.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "serial/com_port.h"

namespace orvane::serial {
namespace {

using Clock = std::chrono::steady_clock;

std::chrono::milliseconds ProcessCpuTime() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return std::chrono::milliseconds(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

class PtyEventTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[128] = {};
    ASSERT_EQ(openpty(&master_, &slave_, name, nullptr, nullptr), 0);
    port_.SetPort(name);
    port_.SetSyncMethod(smNone);
    port_.Timeouts().SetReadInterval(-1);
    port_.OnRxChar = [this](TCustomComPort&, std::int32_t count) {
      std::lock_guard lock(mutex_);
      reported_.push_back(count);
      changed_.notify_all();
    };
  }
  void TearDown() override {
    port_.Close();
    close(slave_);
    close(master_);
  }

  void Send(const char* bytes) { ASSERT_GT(write(master_, bytes, strlen(bytes)), 0); }
  bool WaitForReports(std::size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(5),
                             [&] { return reported_.size() >= count; });
  }

  int master_ = -1;
  int slave_ = -1;
  TComPort port_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::int32_t> reported_;
};

TEST_F(PtyEventTest, ReportsBytesWithoutTakingThemAndWaitsIdleWhileTheyStayUnread) {
  port_.Open();
  ASSERT_TRUE(port_.EventThreadRunning());
  Send("abc");
  ASSERT_TRUE(WaitForReports(1));

  // The terminal stays readable while the bytes wait: the thread must not spin on it.
  const auto cpuBefore = ProcessCpuTime();
  std::this_thread::sleep_for(std::chrono::seconds(1));
  EXPECT_LT((ProcessCpuTime() - cpuBefore).count(), 60);

  char bytes[8] = {};
  EXPECT_EQ(port_.Read(bytes, 8), 3);
  EXPECT_EQ(std::string(bytes, 3), "abc");
  Send("de");
  ASSERT_TRUE(WaitForReports(2));
  {
    std::lock_guard lock(mutex_);
    EXPECT_EQ(reported_.front(), 3);
  }

  const auto start = Clock::now();
  port_.Close();
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500));
  EXPECT_FALSE(port_.EventThreadRunning());
}

// A handler on the event thread that closes the port: the thread must not wait again on the
// terminal (and what the device shared with the wait) after the device is gone.
TEST_F(PtyEventTest, AHandlerThatClosesThePortFromTheEventThread) {
  port_.OnRxChar = [this](TCustomComPort& sender, std::int32_t count) {
    std::lock_guard lock(mutex_);
    sender.Close();
    reported_.push_back(count);
    changed_.notify_all();
  };
  port_.Open();
  // The byte reaches the thread through the terminal, which the race detector cannot see: the
  // mutex says the open came before the handler's close.
  { std::lock_guard opened(mutex_); }
  Send("x");
  ASSERT_TRUE(WaitForReports(1));
  EXPECT_FALSE(port_.EventThreadRunning());
}

}  // namespace
}  // namespace orvane::serial
