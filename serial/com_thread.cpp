#include "serial/com_thread.h"

#include <condition_variable>
#include <mutex>
#include <utility>

#include "serial/com_port.h"
#include "serial/event_window.h"
#include "serial/hand_over.h"

namespace orvane::serial {
namespace {

// By ordinal of TComEvent.
constexpr std::uint32_t kMaskBits[] = {kEvRxChar, kEvTxEmpty, kEvRxFlag, kEvRing, kEvBreak,
                                       kEvCts,    kEvDsr,     kEvErr,    kEvRlsd, kEvRx80Full};

}  // namespace

std::uint32_t EventMaskBit(TComEvent event) { return kMaskBits[static_cast<int>(event)]; }

std::uint32_t EventsToMask(TComEvents events) {
  std::uint32_t mask = 0;
  for (int i = 0; i < 10; ++i) {
    if (events.Contains(static_cast<TComEvent>(i))) mask |= kMaskBits[i];
  }
  return mask;
}

TComEvents MaskToEvents(std::uint32_t mask) {
  TComEvents events;
  for (int i = 0; i < 10; ++i) {
    if (mask & kMaskBits[i]) events.Include(static_cast<TComEvent>(i));
  }
  return events;
}

TComThread::TComThread(TCustomComPort& port, ComDevice& device, EventWindow* window)
    : port_(port), device_(device), window_(window), syncMethod_(port.SyncMethod()) {
  wait_ = device_.NewEventWait();
  if (!wait_) wait_ = NewStopOnlyWait();
  // The mask is set once: a change of Events takes effect at the next Open. A device that
  // refuses it reports no events; the thread still runs until stopped.
  device_.SetEventMask(EventsToMask(port.Events()));
  if (syncMethod_ == smThreadSync) PrepareHandOvers();
}

void TComThread::Start() {
  const std::lock_guard gate(startGate_);
  thread_ = std::thread([this] {
    { const std::lock_guard passed(startGate_); }  // thread_ is set: the thread may read it
    Execute();
  });
}

TComThread::~TComThread() {
  if (!thread_.joinable()) return;  // an abandoned thread deleting itself
  wait_->Stop();
  WaitServing([this] { return Ended(); });
  thread_.join();
}

bool TComThread::OnOwnThread() const { return thread_.get_id() == std::this_thread::get_id(); }

bool TComThread::WaitsForItsActions() const {
  return syncMethod_ == smThreadSync ||
         (syncMethod_ == smWindowSync && window_ != nullptr && window_->SendWaitsForTheAction());
}

void TComThread::Abandon(std::unique_ptr<EventWindow> window) {
  abandonedWindow_ = std::move(window);
  abandoned_.store(true);
  wait_->Stop();
}

std::exception_ptr TComThread::Failure() const { return ended_.load() ? failure_ : nullptr; }

void TComThread::Execute() {
  try {
    for (;;) {
      std::uint32_t mask = 0;
      const ComEventWait::Result result = wait_->Wait(&mask);
      if (result == ComEventWait::Result::kStopped || result == ComEventWait::Result::kFailed) {
        break;
      }
      if (result != ComEventWait::Result::kEvents) continue;  // a failed completion: wait again
      events_ = MaskToEvents(mask);
      if (!events_.Empty()) DispatchEvents();
      if (abandoned_.load()) break;  // the device, and what it shares with the wait, are gone
    }
    // What waits in both queues is discarded as the thread ends; the thread does not report a
    // failure of these two calls. An abandoned thread's device is already closed.
    if (!abandoned_.load()) {
      device_.SetEventMask(0);
      device_.Purge(kPurgeTxClear | kPurgeRxClear);
    }
  } catch (...) {
    // An error of an action ends the thread at once, without the mask reset and purge.
    failure_ = std::current_exception();
  }
  if (abandoned_.load()) {
    thread_.detach();
    delete this;
    return;
  }
  ended_.store(true);
  WakeUiThread();
}

void TComThread::DispatchEvents() {
  const auto ended = [this] { return abandoned_.load(); };
  switch (syncMethod_) {
    case smThreadSync:
      RunOnUiThread([this, &ended] { port_.RunEventHandlers(events_, ended); });
      break;
    case smWindowSync:
      for (const TComEvent event : kEventActionOrder) {
        if (abandoned_.load()) break;  // an action closed the port
        if (events_.Contains(event) && window_ != nullptr) window_->Send(EventMaskBit(event));
      }
      break;
    case smNone:
      port_.RunEventHandlers(events_, ended);  // the port itself may be gone once abandoned
      break;
  }
}

// ---- the stop-only wait ----

namespace {

class StopOnlyWait final : public ComEventWait {
 public:
  Result Wait(std::uint32_t*) override {
    std::unique_lock lock(mutex_);
    stopped_.wait(lock, [this] { return stop_; });
    return Result::kStopped;
  }
  void Stop() override {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    stopped_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable stopped_;
  bool stop_ = false;
};

}  // namespace

std::unique_ptr<ComEventWait> NewStopOnlyWait() { return std::make_unique<StopOnlyWait>(); }
std::unique_ptr<ComEventWait> ComDevice::NewEventWait() { return NewStopOnlyWait(); }

}  // namespace orvane::serial
