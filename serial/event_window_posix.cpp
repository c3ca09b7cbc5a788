#include "serial/event_window.h"

#include <exception>

#include "serial/com_port.h"
#include "serial/hand_over.h"

namespace orvane::serial {
namespace {

// Without a window system each message becomes a hand-over of its own.
class HandOverEventWindow final : public EventWindow {
 public:
  explicit HandOverEventWindow(TCustomComPort& port) : port_(port) {}

  void Send(std::uint32_t maskBit) override {
    RunOnUiThread([this, maskBit] {
      if (!port_.Connected()) return;
      try {
        port_.RunEventAction(maskBit);
      } catch (const std::exception& error) {
        ShowError(error);
      }
    });
  }

 private:
  TCustomComPort& port_;
};

}  // namespace

std::unique_ptr<EventWindow> NewEventWindow(TCustomComPort& port) {
  return std::make_unique<HandOverEventWindow>(port);
}

}  // namespace orvane::serial
