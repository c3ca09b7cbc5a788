// The event thread's Win32 parts: the wait on a device that refuses to wait for line events, and
// the hidden window's one message per event.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <vector>

#include "serial/com_event_wait_win32.h"
#include "serial/com_port.h"
#include "serial/com_thread.h"
#include "serial/event_window.h"
#include "support/scripted_com_device.h"

namespace orvane::serial {
namespace {

using test_support::ScriptedComDevice;
using test_support::ScriptedLine;
using Clock = std::chrono::steady_clock;

std::int64_t ProcessCpuMs() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto ms = [](const FILETIME& t) {
    return ((static_cast<std::int64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000;
  };
  return ms(kernel) + ms(user);
}

// A scripted device whose event wait is the Win32 one on a handle that is no serial port, so
// WaitCommEvent fails at once every time.
class RefusingDevice final : public ScriptedComDevice {
 public:
  RefusingDevice(std::shared_ptr<ScriptedLine> line, HANDLE handle)
      : ScriptedComDevice(std::move(line)), handle_(handle) {}
  std::unique_ptr<ComEventWait> NewEventWait() override { return NewWin32EventWait(handle_); }

 private:
  HANDLE handle_;
};

TEST(Win32EventWaitTest, ARefusedWaitNeitherSpinsNorDelaysClose) {
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
  auto line = std::make_shared<ScriptedLine>();
  TComPort port([&](const std::string&, SysError*) -> std::unique_ptr<ComDevice> {
    return std::make_unique<RefusingDevice>(line, readEnd);
  });
  port.Open();
  ASSERT_TRUE(port.EventThreadRunning());
  const std::int64_t cpuBefore = ProcessCpuMs();
  Sleep(1000);
  EXPECT_LT(ProcessCpuMs() - cpuBefore, 60);
  EXPECT_TRUE(port.EventThreadRunning());

  const auto start = Clock::now();
  port.Close();
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500));
  CloseHandle(readEnd);
  CloseHandle(writeEnd);
}

// What the hidden window received, recorded in front of its own procedure.
std::vector<WPARAM> received;
WNDPROC original = nullptr;

LRESULT CALLBACK Recording(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kEventMessage) received.push_back(wParam);
  return CallWindowProcA(original, window, message, wParam, lParam);
}

TEST(Win32EventWaitTest, WindowSyncSendsOneMessagePerEventInTheActionOrder) {
  auto line = std::make_shared<ScriptedLine>();
  TComPort port(test_support::ScriptedOpener(line));
  port.SetSyncMethod(smWindowSync);
  port.Open();
  HWND window = FindWindowExA(HWND_MESSAGE, nullptr, "OrvaneComPortEvents", nullptr);
  ASSERT_NE(window, nullptr);
  received.clear();
  original = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Recording)));

  line->RaiseEvents(kEvTxEmpty | kEvRing | kEvRxChar | kEvErr | kEvCts);
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  while (received.size() < 5 && Clock::now() < deadline) {
    // Messages sent from the event thread are served inside the wait.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_SENDMESSAGE);
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  EXPECT_THAT(received, ::testing::ElementsAre(kEvErr, kEvRxChar, kEvTxEmpty, kEvRing, kEvCts));
  port.Close();
}

}  // namespace
}  // namespace orvane::serial
