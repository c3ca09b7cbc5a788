#include "ui/views/message_pump.h"

#include <chrono>
#include <thread>

namespace orvane::ui {

void RealTimeWaiter::Wait(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace orvane::ui
