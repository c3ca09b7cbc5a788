// Time for the virtual board. Tests run it on virtual time, where waiting costs nothing and a
// read that times out just moves the clock on; the program and the board server run it on the
// real clock.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

#include "ui/views/message_pump.h"

namespace orvane::sim {

// Microseconds since the clock's own origin: fine enough for one byte at 256000 bit/s.
using Micros = std::chrono::microseconds;

inline Micros Ms(std::int64_t milliseconds) { return std::chrono::milliseconds(milliseconds); }

class Clock {
 public:
  virtual ~Clock() = default;
  virtual Micros Now() const = 0;
  // Returns once Now() has reached the given time (at once if it already has).
  virtual void SleepUntil(Micros time) = 0;
  void SleepFor(Micros duration) { SleepUntil(Now() + duration); }
};

// Time that moves only when someone waits: every wait ends at once with the clock set forward.
class VirtualClock final : public Clock {
 public:
  Micros Now() const override { return Micros(now_.load()); }
  void SleepUntil(Micros time) override;
  void Advance(Micros duration) { SleepUntil(Now() + duration); }

 private:
  std::atomic<std::int64_t> now_{0};
};

// The steady clock of the machine, counted from the clock's creation.
class RealClock final : public Clock {
 public:
  Micros Now() const override;
  void SleepUntil(Micros time) override;

 private:
  std::chrono::steady_clock::time_point origin_ = std::chrono::steady_clock::now();
};

// The board link's millisecond wait on a given clock, so that a test's waits and the virtual
// board's time are one and the same.
class ClockWaiter final : public ui::Waiter {
 public:
  explicit ClockWaiter(Clock& clock) : clock_(clock) {}
  void Wait(int milliseconds) override {
    if (milliseconds > 0) clock_.SleepFor(Ms(milliseconds));
  }

 private:
  Clock& clock_;
};

}  // namespace orvane::sim
