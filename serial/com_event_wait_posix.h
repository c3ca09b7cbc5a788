// The wait for line events on a POSIX serial device (the event thread's WaitCommEvent).
//
// What a POSIX terminal can report without consuming data, and so what the wait reports:
//   evRxChar    new bytes in the input queue (poll for input, then FIONREAD; nothing is read)
//   evRx80Full  the input queue reaching 80 % of the port's input buffer size
//   evError     a change of the driver's frame, parity or overrun counters (TIOCGICOUNT)
//   evBreak     a change of the driver's break counter (TIOCGICOUNT)
// The error and break counters are looked at whenever the wait wakes; a broken or bad byte also
// lands in the input queue, so it wakes the wait. Drivers that keep no counters (every
// pseudo-terminal, most USB adapters) report neither.
// Not reported: evTxEmpty and evRxFlag (a terminal tells neither when its output has gone nor
// which bytes wait, short of reading them), and evCTS, evDSR, evRLSD, evRing: the one call that
// waits for modem lines (TIOCMIWAIT) blocks a thread in the driver with no way to wake it but a
// signal, which a library must not take from its program.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "serial/com_device.h"
#include "serial/unique_fd_posix.h"

namespace orvane::serial {

// What a device shares with the waits on it, held jointly by both: a wait may outlive its device
// (a thread let go by its port ends after the port closed the device). The wait uses the
// descriptor only while it waits, and its thread waits only while the port holds the device.
struct PosixEventLine {
  PosixEventLine();
  std::atomic<std::uint32_t> mask{0};      // SetCommMask
  std::atomic<std::int32_t> inputSize{0};  // SetupComm's input size
  // Bytes taken from the input queue by reads and purges, so that a wait can tell new bytes from
  // the ones it reported already; while a wait exists, each taking also wakes it (without one,
  // a read costs no extra call).
  std::atomic<std::uint64_t> taken{0};
  std::atomic<int> waits{0};
  UniqueFd takenSignal;
  void Took(std::uint64_t count);
};

std::unique_ptr<ComEventWait> NewPosixEventWait(int fd, std::shared_ptr<PosixEventLine> line);

}  // namespace orvane::serial
