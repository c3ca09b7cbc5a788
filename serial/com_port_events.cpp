// The port's side of the event thread: starting and stopping it, and the action each event runs.
#include <functional>
#include <memory>

#include "serial/com_port.h"
#include "serial/com_thread.h"
#include "serial/event_window.h"

namespace orvane::serial {

void TCustomComPort::StartEventThread() {
  if (syncMethod_ == smWindowSync) eventWindow_ = NewEventWindow(*this);
  threadCreated_ = true;  // before the thread runs: under smNone its actions may close the port
  eventThread_ = std::make_unique<TComThread>(*this, *device_, eventWindow_.get());
  eventThread_->Start();
}

void TCustomComPort::StopEventThread() {
  // Closed from an action that the thread waits for: it ends on its own once the action returns,
  // and keeps the window until then.
  if (eventThread_ && eventThread_->WaitsForTheCaller()) {
    eventThread_->Abandon(std::move(eventWindow_));
  }
  // Otherwise letting go of the handle stops the thread and waits for its end; only then does the
  // window go.
  eventThread_.reset();
  eventWindow_.reset();
}

std::exception_ptr TCustomComPort::EventThreadFailure() const {
  return eventThread_ ? eventThread_->Failure() : nullptr;
}

bool TCustomComPort::EventThreadRunning() const {
  return eventThread_ != nullptr && !eventThread_->Ended();
}

void TCustomComPort::RunEventHandlers(TComEvents events, const std::function<bool()>& ended) {
  for (const TComEvent event : kEventActionOrder) {
    if (ended()) return;  // an action closed the port: the rest of the batch is void
    if (events.Contains(event)) RunEventAction(EventMaskBit(event));
  }
}

void TCustomComPort::RunEventAction(std::uint32_t maskBit) {
  // The queries are made whether or not a handler is assigned; no action reads data.
  switch (maskBit) {
    case kEvErr: {
      const TComErrors errors = TakeLineErrors();
      if (!errors.Empty()) DoError(errors);
      break;
    }
    case kEvRxChar: {
      const std::int32_t count = PendingInputCount();
      if (count > 0) DoRxChar(count);
      break;
    }
    case kEvTxEmpty:
      DoTxEmpty();
      break;
    case kEvBreak:
      DoBreak();
      break;
    case kEvRing:
      DoRing();
      break;
    case kEvCts:
      DoCTSChange((LineSignals() & kLineCts) != 0);
      break;
    case kEvDsr:
      DoDSRChange((LineSignals() & kLineDsr) != 0);
      break;
    case kEvRxFlag:
      DoRxFlag();
      break;
    case kEvRlsd:
      DoRLSDChange((LineSignals() & kLineRlsd) != 0);
      break;
    case kEvRx80Full:
      DoRx80Full();
      break;
    default:
      break;  // not an event's bit
  }
}

}  // namespace orvane::serial
