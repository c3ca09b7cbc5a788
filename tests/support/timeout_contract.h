// The time-out contract that every serial device keeps: the same read and write cases, run
// against each device through one small adapter. A case names a time-out record, when the other
// end sends its bytes, and when the transfer must end with how many bytes.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "serial/com_device.h"

namespace orvane::test_support {

struct ReadCase {
  const char* name;
  serial::CommTimeouts timeouts;
  std::int32_t count;           // bytes asked for
  std::vector<int> arrivalsMs;  // one byte each, ms after the read begins; 0: waiting before
  std::int32_t expectBytes;
  int expectMs;  // when the read returns
};

struct WriteCase {
  const char* name;
  serial::CommTimeouts timeouts;
  std::int32_t count;  // bytes written
  bool heldBack;       // the line takes only part of them (nobody drains it)
  int expectMs;        // when the write returns
};

const std::vector<ReadCase>& ReadContract();
const std::vector<WriteCase>& WriteContract();
// The longest a case may take on a device that runs in real time.
inline constexpr int kRealTimeCaseLimitMs = 300;

// One device under the contract, with the other end of its line and its clock.
class ContractLine {
 public:
  using Micros = std::chrono::microseconds;
  virtual ~ContractLine() = default;
  virtual serial::ComDevice& Device() = 0;
  virtual Micros Now() = 0;
  // The other end sends one byte at each time (ms from now; 0 sends before the read begins).
  virtual void Send(const std::vector<int>& arrivalsMs) = 0;
  // The other end stops taking bytes (false: takes all at once). Lines that cannot hold output
  // back return false.
  virtual bool HoldOutput() = 0;
  virtual bool RealTime() const = 0;
  // Whatever a case left behind on the line is gone.
  virtual void Settle() {}
};

// The other end of a line in real time: the bytes due before the read sent at once and waited
// for until the device has them queued, each later one at its time from a thread of its own.
class RealTimeSender {
 public:
  using SendBytes = std::function<void(int count)>;  // sends `count` bytes now
  void Send(const std::vector<int>& arrivalsMs, serial::ComDevice& device, SendBytes send);
  // Waits until the later bytes are sent.
  void Join() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::jthread thread_;
};

// Waits (at most a second) until the device's input queue holds `count` bytes.
void WaitQueued(serial::ComDevice& device, std::uint32_t count);

// Runs every case the line can keep; failures name the case. `device` names the device.
void CheckReadContract(ContractLine& line, const std::string& device);
void CheckWriteContract(ContractLine& line, const std::string& device);

}  // namespace orvane::test_support
