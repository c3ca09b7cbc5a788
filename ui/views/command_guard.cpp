#include "ui/views/command_guard.h"

#include <algorithm>

namespace orvane::ui {

bool CommandGuard::Run(const std::string& what, const std::function<void()>& command) {
  if (running_) return false;
  running_ = true;
  what_ = what;
  Tell([&what](CommandListener& listener) { listener.CommandStarted(what); });
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
  Tell([](CommandListener& listener) { listener.CommandEnded(); });
}

void CommandGuard::Tell(const std::function<void(CommandListener&)>& call) {
  for (CommandListener* listener : std::vector(listeners_)) {
    if (std::find(listeners_.begin(), listeners_.end(), listener) != listeners_.end()) {
      call(*listener);
    }
  }
}

void CommandGuard::AddListener(CommandListener& listener) {
  if (std::find(listeners_.begin(), listeners_.end(), &listener) == listeners_.end())
    listeners_.push_back(&listener);
}

void CommandGuard::RemoveListener(CommandListener& listener) { std::erase(listeners_, &listener); }

}  // namespace orvane::ui
