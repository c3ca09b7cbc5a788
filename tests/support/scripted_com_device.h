// A serial device for unit tests: it records every call the port object makes, answers from a
// script (bytes to read, modem lines, line errors) and fails the calls a test names.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "serial/com_device.h"

namespace orvane::test_support {

// The state shared by a test and every device opened from it; it outlives the devices.
struct ScriptedLine {
  // Every call in order, as "Open(COM3)", "Setup(1024,1024)", "SetState", "SetTimeouts",
  // "Write(1)", "Read(1)", "Purge(12)", "Escape(5)", "ClearError", "ModemStatus", "Close".
  std::vector<std::string> calls;
  std::vector<serial::Dcb> states;             // each SetState record
  std::vector<serial::CommTimeouts> timeouts;  // each SetTimeouts record

  // Script.
  std::deque<std::uint8_t> input;  // what Read delivers (at most what is asked)
  // Time on the line, moved on by reads and writes that wait, as the time-out rules say; and
  // bytes that arrive later on that scale, in order of their times.
  std::chrono::microseconds now{0};
  std::deque<std::pair<std::chrono::microseconds, std::uint8_t>> arriving;
  std::vector<std::uint8_t> output;  // what Write received
  // Bytes Write accepts in total; -1: all. A write beyond it is held back until its time-out.
  std::int32_t writeCapacity = -1;
  std::uint32_t modemStatus = 0;  // GetCommModemStatus bits
  std::uint32_t lineErrors = 0;   // ClearCommError flags, cleared when taken
  // Calls to fail, by name ("Open", "Setup", "SetState", ...), with the error they return.
  std::map<std::string, serial::SysError> failures;

  int openDevices = 0;  // devices opened and not yet closed

  // Line events for the port's event thread, shared with it under eventMutex: each batch raised
  // ends one wait with that event mask (whatever the device's mask says).
  std::mutex eventMutex;
  std::condition_variable eventChanged;
  std::deque<std::uint32_t> eventBatches;
  void RaiseEvents(std::uint32_t mask);

  // How many times a call of that name (the part before "(") was made.
  int Count(const std::string& name) const;
  // Forgets the recorded calls (not the script).
  void ClearCalls();
};

// An opener that opens scripted devices on the line, whatever the port name (the name is
// recorded); fails with failures["Open"] when that is set.
serial::DeviceOpener ScriptedOpener(std::shared_ptr<ScriptedLine> line);

class ScriptedComDevice : public serial::ComDevice {
 public:
  explicit ScriptedComDevice(std::shared_ptr<ScriptedLine> line);
  ~ScriptedComDevice() override;

  serial::SysError Setup(std::int32_t inputSize, std::int32_t outputSize) override;
  serial::SysError SetState(const serial::Dcb& dcb) override;
  serial::SysError SetTimeouts(const serial::CommTimeouts& timeouts) override;
  serial::IoResult Write(const std::uint8_t* data, std::int32_t count) override;
  serial::IoResult Read(std::uint8_t* data, std::int32_t count) override;
  serial::SysError Purge(std::uint32_t flags) override;
  serial::SysError Escape(std::uint32_t function) override;
  serial::SysError ClearError(std::uint32_t* errors, std::uint32_t* inputQueue) override;
  serial::SysError ModemStatus(std::uint32_t* status) override;
  serial::SysError SetEventMask(std::uint32_t mask) override;  // "SetEventMask(<mask>)"
  std::unique_ptr<serial::ComEventWait> NewEventWait() override;

 private:
  serial::SysError Record(const std::string& name, const std::string& call);

  std::shared_ptr<ScriptedLine> line_;
  serial::CommTimeouts timeouts_{};
};

}  // namespace orvane::test_support
