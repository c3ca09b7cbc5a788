// What a long command needs of the program around it: to let pending window messages run, and
// to wait a while. The windows, the console and the tests (on virtual time) each give their own.
#pragma once

namespace orvane::ui {

// Lets pending window messages run once (repaints, user input) from inside a command.
class MessagePump {
 public:
  virtual ~MessagePump() = default;
  virtual void ProcessMessages() = 0;
  // The program was asked to end (Exit) while a command runs: the command sends nothing more
  // and returns at its next step, without a message box that would hold the end up.
  virtual bool EndRequested() const { return false; }
};

// The blocking wait in milliseconds; tests replace it with virtual time.
class Waiter {
 public:
  virtual ~Waiter() = default;
  virtual void Wait(int milliseconds) = 0;
};

// Without a window no messages wait to run.
class NoMessagePump : public MessagePump {
 public:
  void ProcessMessages() override {}
};

// The blocking wait in real time.
class RealTimeWaiter : public Waiter {
 public:
  void Wait(int milliseconds) override;
};

}  // namespace orvane::ui
