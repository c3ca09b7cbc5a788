// One command at a time. The scan and the transfers let window messages run between bytes, so a
// shortcut, a menu item or a toolbar button could otherwise start a second command inside the
// first and reopen the port under it. Everything that starts a command asks the guard first;
// windows that read the port on their own (the serial terminal) listen to it and stand aside
// while a command runs.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace orvane::ui {

class CommandListener {
 public:
  virtual ~CommandListener() = default;
  // `what` names the command for the user ("downloading", "testing").
  virtual void CommandStarted(const std::string& what) = 0;
  // After the command returned, normally or by an error.
  virtual void CommandEnded() = 0;
};

class CommandGuard {
 public:
  bool Running() const { return running_; }
  // The running command's name; empty when none runs.
  const std::string& What() const { return what_; }

  // Runs `command` unless one runs already (then does nothing and returns false). An error that
  // ends the command passes through, after the listeners were told it ended.
  bool Run(const std::string& what, const std::function<void()>& command);

  // Listeners are told in the order they were added; a listener must be removed before it goes.
  void AddListener(CommandListener& listener);
  void RemoveListener(CommandListener& listener);

 private:
  void Finish();
  // Tells each listener, over a copy of the list (a listener may add or remove listeners while
  // it is told); one removed meanwhile is not told, as it may be gone.
  void Tell(const std::function<void(CommandListener&)>& call);

  bool running_ = false;
  std::string what_;
  std::vector<CommandListener*> listeners_;
};

}  // namespace orvane::ui
