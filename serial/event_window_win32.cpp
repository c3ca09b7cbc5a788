#include "serial/event_window.h"

#include <windows.h>

#include <exception>

#include "serial/com_port.h"
#include "serial/message_only_window_win32.h"

namespace orvane::serial {
namespace {

constexpr char kWindowClass[] = "OrvaneComPortEvents";

LRESULT CALLBACK EventWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kEventMessage) return DefWindowProcA(window, message, wParam, lParam);
  // The event thread is released before the action runs: it goes back to waiting at once.
  if (InSendMessage()) ReplyMessage(0);
  auto* port = reinterpret_cast<TCustomComPort*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (port != nullptr && port->Connected()) {
    try {
      port->RunEventAction(static_cast<std::uint32_t>(wParam));
    } catch (const std::exception& error) {
      ShowError(error);  // no exception may cross the system's code
    }
  }
  return 0;
}

class Win32EventWindow final : public EventWindow {
 public:
  explicit Win32EventWindow(HWND window) : window_(window) {}
  ~Win32EventWindow() override { DestroyWindow(window_); }

  void Send(std::uint32_t maskBit) override {
    SendMessageA(window_, kEventMessage, static_cast<WPARAM>(maskBit), 0);
  }

 private:
  HWND window_;
};

}  // namespace

std::unique_ptr<EventWindow> NewEventWindow(TCustomComPort& port) {
  HWND window = CreateMessageOnlyWindow(kWindowClass, EventWindowProc);
  if (window == nullptr) throw EComPort(CError_WaitFailed, GetLastError());
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&port));
  return std::make_unique<Win32EventWindow>(window);
}

}  // namespace orvane::serial
