#include "serial/com_event_wait_win32.h"

#include <algorithm>

#include "serial/unique_handle_win32.h"

namespace orvane::serial {
namespace {

// A platform may refuse to wait for line events: WaitCommEvent failing at once, or completing at
// once with nothing, every time (drivers without event support; some cases under Wine). The wait
// then pauses on the stop event before it tries again, a pause that grows while the refusals go
// on, so the thread neither spins nor keeps Close waiting.
constexpr DWORD kFirstBackOffMs = 20;
constexpr DWORD kLongestBackOffMs = 1000;
// How long the wait's end waits for a cancelled WaitCommEvent to complete.
constexpr DWORD kCancelWaitMs = 1000;

// The record of the pending WaitCommEvent and its manual-reset event, created signalled.
struct PendingWait {
  UniqueHandle event{CreateEventA(nullptr, TRUE, TRUE, nullptr)};
  OVERLAPPED overlapped{};
  DWORD mask = 0;
};

class Win32EventWait final : public ComEventWait {
 public:
  explicit Win32EventWait(HANDLE device)
      : device_(device),
        stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
        pending_(std::make_unique<PendingWait>()) {
    pending_->overlapped.hEvent = pending_->event.Get();
  }

  ~Win32EventWait() override {
    if (!started_) return;
    // The driver writes into the record until the wait completes: the port's final mask reset
    // completes it, a cancel should; a driver that ignores both keeps the record, which is then
    // left to it rather than freed under it.
    if (WaitForSingleObject(pending_->event.Get(), 0) != WAIT_OBJECT_0) {
      CancelIoEx(device_, &pending_->overlapped);
      if (WaitForSingleObject(pending_->event.Get(), kCancelWaitMs) != WAIT_OBJECT_0) {
        pending_.release();
      }
    }
  }

  Result Wait(std::uint32_t* events) override;

  void Stop() override { SetEvent(stop_.Get()); }

 private:
  Result BackOff() {
    const DWORD pause = backOffMs_;
    backOffMs_ = std::min(backOffMs_ * 2, kLongestBackOffMs);
    return WaitForSingleObject(stop_.Get(), pause) == WAIT_TIMEOUT ? Result::kNothing
                                                                   : Result::kStopped;
  }

  HANDLE device_;
  UniqueHandle stop_;  // manual reset: once asked, every later wait ends too
  std::unique_ptr<PendingWait> pending_;
  bool started_ = false;  // a WaitCommEvent may be pending on the record
  DWORD backOffMs_ = kFirstBackOffMs;
};

ComEventWait::Result Win32EventWait::Wait(std::uint32_t* events) {
  if (!stop_.Valid() || !pending_->event.Valid()) return Result::kFailed;
  if (WaitForSingleObject(stop_.Get(), 0) == WAIT_OBJECT_0) return Result::kStopped;
  pending_->mask = 0;
  started_ = true;
  if (WaitCommEvent(device_, &pending_->mask, &pending_->overlapped)) {
    started_ = false;  // completed at once
    if (pending_->mask == 0) return BackOff();
    *events = pending_->mask;
    backOffMs_ = kFirstBackOffMs;
    return Result::kEvents;
  }
  if (GetLastError() != ERROR_IO_PENDING) {
    started_ = false;
    return BackOff();
  }
  // When both are signalled the stop wins (it comes first).
  const HANDLE handles[2] = {stop_.Get(), pending_->event.Get()};
  const DWORD woken = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
  if (woken == WAIT_OBJECT_0) return Result::kStopped;  // the final mask reset ends the wait
  if (woken != WAIT_OBJECT_0 + 1) return Result::kFailed;
  started_ = false;
  DWORD unused = 0;
  if (!GetOverlappedResult(device_, &pending_->overlapped, &unused, FALSE)) return BackOff();
  if (pending_->mask == 0) return BackOff();
  *events = pending_->mask;
  backOffMs_ = kFirstBackOffMs;
  return Result::kEvents;
}

}  // namespace

std::unique_ptr<ComEventWait> NewWin32EventWait(HANDLE device) {
  return std::make_unique<Win32EventWait>(device);
}

}  // namespace orvane::serial
