// The platform half of the hand-over: what the user-interface thread waits on while it waits for
// an event thread, and the default nudge of a program's user-interface thread.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace orvane::serial {

// A wake-up signal that stays set until the waiter has seen it, so none is lost.
class UiWakeup {
 public:
  UiWakeup();
  ~UiWakeup();
  UiWakeup(const UiWakeup&) = delete;
  UiWakeup& operator=(const UiWakeup&) = delete;

  void Signal();  // any thread
  // Returns after a Signal (true) or at the deadline (false). On Windows the messages sent to
  // the calling thread's windows are served meanwhile: an event thread may be blocked sending one.
  bool WaitUntil(std::chrono::steady_clock::time_point deadline);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The default nudge for the calling (user-interface) thread; empty where the platform has none.
std::function<void()> DefaultHandOverWaker();

}  // namespace orvane::serial
