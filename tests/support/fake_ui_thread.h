// The user-interface thread as the port's event thread sees it, for tests: hand-overs are
// announced to it, and run only when the test "processes messages".
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "serial/hand_over.h"

namespace orvane::test_support {

class FakeUiThread {
 public:
  FakeUiThread() {
    serial::SetHandOverWaker([this] {
      {
        std::lock_guard lock(mutex_);
        ++announced_;
      }
      changed_.notify_all();
    });
  }
  ~FakeUiThread() { serial::SetHandOverWaker({}); }
  FakeUiThread(const FakeUiThread&) = delete;
  FakeUiThread& operator=(const FakeUiThread&) = delete;

  // Waits until `count` hand-overs in all have been announced; false after `limit`.
  bool WaitForHandOvers(int count, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return announced_ >= count; });
  }

  // Runs what is queued, as the thread's message processing would; returns how many ran.
  int ProcessMessages() { return serial::ServeHandOvers(); }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int announced_ = 0;
};

}  // namespace orvane::test_support
