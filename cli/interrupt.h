// Ctrl+C (and, on POSIX, a termination request) as a call on a thread of our own, where it may
// take locks and wake other threads, which a signal handler may not.
#pragma once

#include <functional>
#include <memory>

namespace orvane::cli {

class InterruptWatch {
 public:
  // From now until destroyed, an interrupt calls `onInterrupt` (on another thread). Make it
  // before any other thread starts: on POSIX the signals are blocked for the threads made
  // after it, and one thread of its own waits for them.
  explicit InterruptWatch(std::function<void()> onInterrupt);
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace orvane::cli
