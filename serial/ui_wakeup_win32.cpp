#include "serial/ui_wakeup.h"

#include <windows.h>

#include <algorithm>

#include "serial/hand_over.h"
#include "serial/message_only_window_win32.h"
#include "serial/unique_handle_win32.h"

namespace orvane::serial {

struct UiWakeup::State {
  UniqueHandle event{CreateEventA(nullptr, FALSE, FALSE, nullptr)};  // auto-reset
};

UiWakeup::UiWakeup() : state_(std::make_unique<State>()) {}
UiWakeup::~UiWakeup() = default;

void UiWakeup::Signal() { SetEvent(state_->event.Get()); }

namespace {

DWORD MillisecondsUntil(std::chrono::steady_clock::time_point deadline) {
  if (deadline == std::chrono::steady_clock::time_point::max()) return INFINITE;
  const auto left =
      std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  if (left.count() <= 0) return 0;
  return static_cast<DWORD>(std::min<long long>(left.count(), INFINITE - 1));
}

}  // namespace

bool UiWakeup::WaitUntil(std::chrono::steady_clock::time_point deadline) {
  HANDLE event = state_->event.Get();
  for (;;) {
    const DWORD woken = MsgWaitForMultipleObjectsEx(1, &event, MillisecondsUntil(deadline),
                                                    QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
    if (woken == WAIT_TIMEOUT) return false;
    // Signalled, or the wait failed: either way the caller looks again.
    if (woken != WAIT_OBJECT_0 + 1) return true;
    // Only sent messages are served here: posted ones wait for the program's own loop, so no
    // command starts while a port is closing.
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

namespace {

constexpr UINT kServeMessage = WM_APP + 0x3A1;
constexpr char kWindowClass[] = "OrvaneHandOverWindow";

LRESULT CALLBACK HandOverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kServeMessage) {
    ServeHandOvers();
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

std::function<void()> DefaultHandOverWaker() {
  // A message-only window of the user-interface thread: its message arrives wherever that thread
  // takes messages (its main loop, the pump between transferred bytes, a message box).
  HWND window = CreateMessageOnlyWindow(kWindowClass, HandOverProc);
  if (window == nullptr) return {};
  return [window] { PostMessageA(window, kServeMessage, 0, 0); };
}

}  // namespace orvane::serial
