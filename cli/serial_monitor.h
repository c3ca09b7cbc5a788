// The serial monitor after a download: every byte the board sends, copied raw to standard output
// as it arrives, read by the port's OnRxChar handler through the event thread.
#pragma once

#include <atomic>
#include <cstdio>
#include <exception>
#include <iosfwd>

#include "serial/com_port.h"

namespace orvane::cli {

class SerialMonitor {
 public:
  // Hooks the port's OnRxChar: make it before the port opens, since the event thread reads the
  // handler. Nothing is copied before Run.
  SerialMonitor(serial::TComPort& port, std::FILE* out);
  // Closes the port (a pending hand-over runs first, copying nothing).
  ~SerialMonitor();
  SerialMonitor(const SerialMonitor&) = delete;
  SerialMonitor& operator=(const SerialMonitor&) = delete;

  // Copies until `seconds` have passed (negative: no limit), Interrupt, or the port fails (its
  // message to `errors`). Returns the exit status: 0, or 1 for a failed port.
  int Run(double seconds, std::ostream& errors);
  // Any thread: ends Run.
  void Interrupt();
  bool Running() const { return running_.load(); }

 private:
  void Copy(std::int32_t count);
  int ReportFailure(std::ostream& errors);

  serial::TComPort& port_;
  std::FILE* out_;
  std::atomic<bool> running_{false};
  std::atomic<bool> interrupted_{false};
  // A read in the handler failed: the port is closed already, its event thread gone.
  std::exception_ptr readFailure_;  // written and read on this (the serving) thread
};

}  // namespace orvane::cli
