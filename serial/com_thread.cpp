#include "serial/com_thread.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
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

// What the port's handle and the thread hold jointly. The port and its device are used only
// until the thread is abandoned or ends; the wait only by the thread, which drops it as it ends,
// while Stop may come from any thread.
struct TComThread::Shared {
  Shared(TCustomComPort& p, ComDevice& d, EventWindow* w)
      : port(p), device(d), window(w), syncMethod(p.SyncMethod()) {}

  void Stop() {
    const std::lock_guard lock(waitMutex);
    if (wait) wait->Stop();
  }
  void DropWait() {
    std::unique_ptr<ComEventWait> dropped;
    const std::lock_guard lock(waitMutex);
    dropped.swap(wait);
  }
  bool Abandoned() const { return abandoned.load(); }

  TCustomComPort& port;
  ComDevice& device;
  EventWindow* window;
  const TSyncMethod syncMethod;
  std::mutex waitMutex;
  std::unique_ptr<ComEventWait> wait;  // holds the stop signal
  std::atomic<std::thread::id> threadId{};
  TComEvents events;  // the batch being handled
  std::exception_ptr failure;
  std::atomic<bool> ended{false};
  std::atomic<bool> abandoned{false};
  std::unique_ptr<EventWindow> keptWindow;  // an abandoned thread's, until it ends
};

namespace {

void DispatchEvents(TComThread::Shared& shared);

// The thread's body. An error of an action ends it at once, without the mask reset and purge.
void RunEventThread(const std::shared_ptr<TComThread::Shared>& shared) {
  shared->threadId.store(std::this_thread::get_id());
  try {
    for (;;) {
      std::uint32_t mask = 0;
      const ComEventWait::Result result = shared->wait->Wait(&mask);
      if (result == ComEventWait::Result::kStopped || result == ComEventWait::Result::kFailed) {
        break;
      }
      if (result != ComEventWait::Result::kEvents) continue;  // a failed completion: wait again
      shared->events = MaskToEvents(mask);
      if (!shared->events.Empty()) DispatchEvents(*shared);
      if (shared->Abandoned()) break;  // the port has closed its device
    }
    // What waits in both queues is discarded as the thread ends; the thread does not report a
    // failure of these two calls.
    if (!shared->Abandoned()) {
      shared->device.SetEventMask(0);
      shared->device.Purge(kPurgeTxClear | kPurgeRxClear);
    }
  } catch (...) {
    shared->failure = std::current_exception();
  }
  // The wait goes while the device is still open (a Win32 wait may cancel its call on it).
  shared->DropWait();
  shared->ended.store(true);
  WakeUiThread();
}

void DispatchEvents(TComThread::Shared& shared) {
  const auto ended = [&shared] { return shared.Abandoned(); };
  switch (shared.syncMethod) {
    case smThreadSync:
      RunOnUiThread([&shared, &ended] { shared.port.RunEventHandlers(shared.events, ended); });
      break;
    case smWindowSync:
      for (const TComEvent event : kEventActionOrder) {
        if (ended()) break;  // an action closed the port
        if (shared.events.Contains(event) && shared.window != nullptr) {
          shared.window->Send(EventMaskBit(event));
        }
      }
      break;
    case smNone:
      // The port itself may be gone once an action closed it; `ended` is the thread's own.
      shared.port.RunEventHandlers(shared.events, ended);
      break;
  }
}

}  // namespace

TComThread::TComThread(TCustomComPort& port, ComDevice& device, EventWindow* window)
    : shared_(std::make_shared<Shared>(port, device, window)) {
  shared_->wait = device.NewEventWait();
  if (!shared_->wait) shared_->wait = NewStopOnlyWait();
  // The mask is set once: a change of Events takes effect at the next Open. A device that
  // refuses it reports no events; the thread still runs until stopped.
  device.SetEventMask(EventsToMask(port.Events()));
  if (shared_->syncMethod == smThreadSync) PrepareHandOvers();
}

void TComThread::Start() {
  // Nobody joins it: the port waits for its end through the shared state, or lets it go.
  std::thread([shared = shared_] { RunEventThread(shared); }).detach();
}

TComThread::~TComThread() {
  if (abandoned_) return;
  shared_->Stop();
  WaitServing([this] { return Ended(); });
}

bool TComThread::WaitsForTheCaller() const {
  const std::thread::id thread = shared_->threadId.load();
  return thread == std::this_thread::get_id() || RunningHandOverOf(thread);
}

void TComThread::Abandon(std::unique_ptr<EventWindow> window) {
  shared_->keptWindow = std::move(window);
  shared_->abandoned.store(true);
  shared_->Stop();
  abandoned_ = true;
}

bool TComThread::Ended() const { return shared_->ended.load(); }

std::exception_ptr TComThread::Failure() const {
  return shared_->ended.load() ? shared_->failure : nullptr;
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
