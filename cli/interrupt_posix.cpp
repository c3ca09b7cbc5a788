#include "cli/interrupt.h"

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <thread>

namespace orvane::cli {
namespace {

// SIGUSR2 only ends the watching thread.
sigset_t WatchedSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGUSR2);
  return set;
}

}  // namespace

struct InterruptWatch::State {
  std::function<void()> onInterrupt;
  sigset_t previous{};
  std::atomic<bool> ending{false};
  std::thread watcher;
};

InterruptWatch::InterruptWatch(std::function<void()> onInterrupt)
    : state_(std::make_unique<State>()) {
  state_->onInterrupt = std::move(onInterrupt);
  const sigset_t set = WatchedSignals();
  pthread_sigmask(SIG_BLOCK, &set, &state_->previous);
  state_->watcher = std::thread([state = state_.get(), set] {
    for (;;) {
      int signal = 0;
      if (sigwait(&set, &signal) != 0) return;
      if (state->ending.load()) return;
      if (signal != SIGUSR2) state->onInterrupt();
    }
  });
}

InterruptWatch::~InterruptWatch() {
  state_->ending.store(true);
  pthread_kill(state_->watcher.native_handle(), SIGUSR2);
  state_->watcher.join();
  pthread_sigmask(SIG_SETMASK, &state_->previous, nullptr);
}

}  // namespace orvane::cli
