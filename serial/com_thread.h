// The port's event thread: while a port is open with events to wait for, it waits on the device
// for line events and has each batch acted on, by the port's SyncMethod: on the user-interface
// thread (smThreadSync), one message per event to the port's hidden window (smWindowSync), or on
// the thread itself (smNone). It never reads or writes data: received bytes stay for Read.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "serial/com_device.h"
#include "serial/com_types.h"

namespace orvane::serial {

class TCustomComPort;
class EventWindow;

// Event sets and the device's event-mask bits (all ten events: 0x05FF).
std::uint32_t EventsToMask(TComEvents events);
TComEvents MaskToEvents(std::uint32_t mask);  // other bits are ignored
std::uint32_t EventMaskBit(TComEvent event);
// The events in the order their actions run.
inline constexpr TComEvent kEventActionOrder[] = {
    evError, evRxChar, evTxEmpty, evBreak, evRing, evCTS, evDSR, evRxFlag, evRLSD, evRx80Full};

class TComThread {
 public:
  // Sets the device's event mask to the port's Events. `window` is the port's hidden window under
  // smWindowSync, else null.
  TComThread(TCustomComPort& port, ComDevice& device, EventWindow* window);
  // Lets the thread run: once the port holds this object, since under smNone its first action
  // may already close the port.
  void Start();
  // Asks the thread to end and waits for its end on the calling (user-interface) thread, running
  // hand-overs meanwhile, so one pending now still runs and the thread can end.
  ~TComThread();
  TComThread(const TComThread&) = delete;
  TComThread& operator=(const TComThread&) = delete;

  // The port is closed from one of this thread's actions: on the thread itself (smNone), or on
  // the user-interface thread while the thread waits for that action to finish (smThreadSync,
  // and smWindowSync without a window system). Either way it cannot be waited for. It is asked
  // to end, touches the device no more, and deletes itself (with `window`) once the action
  // returns.
  bool OnOwnThread() const;
  bool WaitsForItsActions() const;
  void Abandon(std::unique_ptr<EventWindow> window);

  // The thread has ended: stopped, its wait failed, or an action raised an error (Failure).
  bool Ended() const { return ended_.load(); }
  std::exception_ptr Failure() const;  // only after Ended()

 private:
  void Execute();
  void DispatchEvents();

  TCustomComPort& port_;
  ComDevice& device_;
  EventWindow* window_;
  const TSyncMethod syncMethod_;
  std::unique_ptr<ComEventWait> wait_;  // holds the stop signal
  TComEvents events_;                   // the batch being handled
  std::exception_ptr failure_;
  std::atomic<bool> ended_{false};
  std::atomic<bool> abandoned_{false};
  std::unique_ptr<EventWindow> abandonedWindow_;  // kept until the thread deletes itself
  std::mutex startGate_;                          // held by Start until thread_ is set
  std::thread thread_;
};

}  // namespace orvane::serial
