#include "serial/ui_wakeup.h"

#include <condition_variable>
#include <mutex>

namespace orvane::serial {

struct UiWakeup::State {
  std::mutex mutex;
  std::condition_variable changed;
  bool signalled = false;
};

UiWakeup::UiWakeup() : state_(std::make_unique<State>()) {}
UiWakeup::~UiWakeup() = default;

void UiWakeup::Signal() {
  {
    std::lock_guard lock(state_->mutex);
    state_->signalled = true;
  }
  state_->changed.notify_all();
}

bool UiWakeup::WaitUntil(std::chrono::steady_clock::time_point deadline) {
  std::unique_lock lock(state_->mutex);
  if (deadline == std::chrono::steady_clock::time_point::max()) {
    state_->changed.wait(lock, [&] { return state_->signalled; });
  } else if (!state_->changed.wait_until(lock, deadline, [&] { return state_->signalled; }))
    return false;
  state_->signalled = false;
  return true;
}

// Without a window system the program serves the queue from its own loop.
std::function<void()> DefaultHandOverWaker() { return {}; }

}  // namespace orvane::serial
