// The port's hidden window for smWindowSync: the event thread sends it one message per event,
// which it answers at once and then acts on, on the user-interface thread.
#pragma once

#include <cstdint>
#include <memory>

namespace orvane::serial {

class TCustomComPort;

// The message an event sends; its first parameter is the event's mask bit.
inline constexpr std::uint32_t kEventMessage = 0x0400 + 1;  // WM_USER + 1

class EventWindow {
 public:
  virtual ~EventWindow() = default;
  // Event thread: delivers one event's message; returns as soon as the user-interface thread has
  // taken it (on Windows), or has acted on it (elsewhere, where no window system takes messages).
  virtual void Send(std::uint32_t maskBit) = 0;
};

// Made on the user-interface thread by Open. What arrives acts on `port` while it is connected;
// an error of the action goes to ShowError.
std::unique_ptr<EventWindow> NewEventWindow(TCustomComPort& port);

}  // namespace orvane::serial
