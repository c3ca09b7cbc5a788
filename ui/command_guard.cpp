#include "ui/command_guard.h"

#include <algorithm>

namespace orvane::ui {

bool CommandGuard::Run(const std::string& what, const std::function<void()>& command) {
  if (running_) return false;
  running_ = true;
  what_ = what;
  // A copy: a listener may add or remove listeners while it is told.
  for (CommandListener* listener : std::vector(listeners_)) listener->CommandStarted(what);
  try {
    command();
  } catch (...) {
    Finish();
    throw;
  }
  Finish();
  return true;
}

void CommandGuard::Finish() {
  running_ = false;
  what_.clear();
  for (CommandListener* listener : std::vector(listeners_)) listener->CommandEnded();
}

void CommandGuard::AddListener(CommandListener& listener) {
  if (std::find(listeners_.begin(), listeners_.end(), &listener) == listeners_.end())
    listeners_.push_back(&listener);
}

void CommandGuard::RemoveListener(CommandListener& listener) { std::erase(listeners_, &listener); }

}  // namespace orvane::ui
