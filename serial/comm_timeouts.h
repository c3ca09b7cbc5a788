// What a time-out record means for one read or write, as the Win32 COMMTIMEOUTS defines it. Both
// platform devices and the virtual devices keep these rules, so they live in one place.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "serial/com_device.h"

namespace orvane::serial {

inline constexpr std::uint32_t kMaxDword = 0xFFFFFFFFu;

// A record that sets no limit at all would let a transfer wait for ever on a silent line; such a
// transfer ends after this long instead, as if its time-out had run out.
inline constexpr std::uint32_t kUnlimitedTransferMs = 60000;

struct ReadRule {
  enum Kind {
    kAvailableOnly,  // return at once with what has already arrived, possibly nothing
    kFirstByte,      // what is waiting at once; else wait up to totalMs for a first byte, then
                     // return with what has arrived by then (never waits to fill the buffer)
    kFill,           // wait for count bytes, bounded by totalMs and by the gap intervalMs
  };
  Kind kind = kAvailableOnly;
  std::uint32_t totalMs = 0;     // kFirstByte, kFill: longest duration (kFill: always > 0)
  std::uint32_t intervalMs = 0;  // kFill: largest gap after the first byte; 0 means no gap limit
};

// The rule for a read of count bytes. A kFill rule without any limit is given
// kUnlimitedTransferMs as its total.
ReadRule ReadRuleOf(const CommTimeouts& timeouts, std::int32_t count);

// The longest a write of count bytes may take (multiplier x count + constant, kUnlimitedTransferMs
// when both are 0), at most kMaxDword - 1.
std::uint32_t WriteLimitMs(const CommTimeouts& timeouts, std::int32_t count);

// The course of one read under its rule, as bytes arrive: whether it is complete and when it must
// end. Times count from the start of the read. The POSIX device feeds it what it receives; the
// virtual lines, which know beforehand when each byte arrives, run it over those times
// (PlanRead). So every device ends a read at the same moment for the same line.
class ReadTimer {
 public:
  using Duration = std::chrono::microseconds;

  ReadTimer(const CommTimeouts& timeouts, std::int32_t count);

  // `total` bytes have arrived so far, the last of them at `at`.
  void Arrived(std::int32_t total, Duration at);
  // The read has what it waits for: the whole count, or any byte for the rules that return with
  // what has come.
  bool Complete() const;
  // When the read ends if nothing more arrives.
  Duration Deadline() const;

 private:
  ReadRule rule_;
  std::int32_t count_;
  std::int32_t total_ = 0;
  Duration deadline_;
};

// What one look at a line's input found.
struct ReadStep {
  std::int32_t got = 0;          // bytes taken (0: none there now)
  bool ended = false;            // nothing more will come: the read ends with what it has ...
  SysError endError = kSuccess;  // ... and with this error when that is nothing
  SysError error = kSuccess;     // the look failed: the read ends with this error
};

// A read of `count` bytes under the time-out rules, the loop of the devices that receive as
// bytes come (the POSIX and the network device): `take(into, room)` moves what has arrived
// without waiting; `wait(deadline, &error)` waits until input may be there, false once the
// deadline has passed (or with *error set on a failure). With `waitFirst` a read that may wait
// begins by waiting, where looking in vain costs a system call.
template <typename Take, typename Wait>
IoResult TimedRead(const CommTimeouts& timeouts, std::uint8_t* data, std::int32_t count,
                   bool waitFirst, Take take, Wait wait) {
  IoResult result;
  if (count <= 0) return result;
  ReadTimer timer(timeouts, count);
  const auto start = std::chrono::steady_clock::now();
  waitFirst = waitFirst && timer.Deadline() > ReadTimer::Duration::zero();
  for (;; waitFirst = true) {
    if (waitFirst && !wait(start + timer.Deadline(), &result.error)) return result;
    const ReadStep step = take(data + result.transferred, count - result.transferred);
    if (step.error != kSuccess) {
      result.error = step.error;
      return result;
    }
    if (step.got > 0) {
      result.transferred += step.got;
      timer.Arrived(result.transferred, std::chrono::duration_cast<ReadTimer::Duration>(
                                            std::chrono::steady_clock::now() - start));
      if (timer.Complete()) return result;
    }
    if (step.ended) {
      if (result.transferred == 0) result.error = step.endError;
      return result;
    }
  }
}

// How a read of `count` bytes ends on a line whose bytes arrive at the given times (since the
// read began, in order; times at or before 0 mean waiting already).
struct PlannedRead {
  ReadTimer::Duration end{0};  // when the read returns
  std::int32_t bytes = 0;      // how many of the arrivals it takes
};
PlannedRead PlanRead(const CommTimeouts& timeouts, std::int32_t count,
                     const std::vector<ReadTimer::Duration>& arrivals);

}  // namespace orvane::serial
