// The port's event thread: while a port is open with events to wait for, it waits on the device
// for line events and has each batch acted on, by the port's SyncMethod: on the user-interface
// thread (smThreadSync), one message per event to the port's hidden window (smWindowSync), or on
// the thread itself (smNone). It never reads or writes data: received bytes stay for Read.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>

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

// The port's handle on its event thread. What the thread works with (its wait, the batch, how it
// ended) is held jointly by this handle and the thread, so a thread that the port lets go ends on
// its own, and the last of the two to finish frees it.
class TComThread {
 public:
  // Sets the device's event mask to the port's Events. `window` is the port's hidden window under
  // smWindowSync, else null; the port keeps it (see Abandon).
  TComThread(TCustomComPort& port, ComDevice& device, EventWindow* window);
  // Lets the thread run: once the port holds this handle, since under smNone its first action
  // may already close the port.
  void Start();
  // Unless abandoned: asks the thread to end and waits for its end on the calling
  // (user-interface) thread, running hand-overs meanwhile, so one pending now still runs and the
  // thread can end.
  ~TComThread();
  TComThread(const TComThread&) = delete;
  TComThread& operator=(const TComThread&) = delete;

  // The thread waits for the caller: the caller is an action on the thread itself (smNone), or an
  // action on the user-interface thread that the thread handed over (smThreadSync, and
  // smWindowSync without a window system). A port closed from there cannot wait for its thread.
  bool WaitsForTheCaller() const;
  // Lets the thread go: it is asked to end, touches the port and its device no more, and ends on
  // its own once the action returns, keeping `window` until then.
  void Abandon(std::unique_ptr<EventWindow> window);

  // The thread has ended: stopped, its wait failed, or an action raised an error (Failure).
  bool Ended() const;
  std::exception_ptr Failure() const;  // only after Ended()

  struct Shared;  // com_thread.cpp

 private:
  std::shared_ptr<Shared> shared_;
  bool abandoned_ = false;
};

}  // namespace orvane::serial
