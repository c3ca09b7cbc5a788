#include "cli/interrupt.h"

#include <windows.h>

#include <mutex>

namespace orvane::cli {
namespace {

// The console calls its handlers on a thread of its own; there is one watch at a time.
std::mutex watchMutex;
std::function<void()>* activeWatch = nullptr;

BOOL WINAPI ConsoleHandler(DWORD kind) {
  if (kind != CTRL_C_EVENT && kind != CTRL_BREAK_EVENT) return FALSE;
  std::lock_guard lock(watchMutex);
  if (activeWatch == nullptr) return FALSE;
  (*activeWatch)();
  return TRUE;
}

}  // namespace

struct InterruptWatch::State {
  std::function<void()> onInterrupt;
};

InterruptWatch::InterruptWatch(std::function<void()> onInterrupt)
    : state_(std::make_unique<State>()) {
  state_->onInterrupt = std::move(onInterrupt);
  {
    std::lock_guard lock(watchMutex);
    activeWatch = &state_->onInterrupt;
  }
  SetConsoleCtrlHandler(ConsoleHandler, TRUE);
}

InterruptWatch::~InterruptWatch() {
  SetConsoleCtrlHandler(ConsoleHandler, FALSE);
  std::lock_guard lock(watchMutex);
  activeWatch = nullptr;
}

}  // namespace orvane::cli
