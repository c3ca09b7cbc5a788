#include "sim/board/clock.h"

#include <thread>

namespace orvane::sim {

void VirtualClock::SleepUntil(Micros time) {
  std::int64_t current = now_.load();
  // Never backwards, also when two threads wait at once.
  while (time.count() > current && !now_.compare_exchange_weak(current, time.count())) {
  }
}

Micros RealClock::Now() const {
  return std::chrono::duration_cast<Micros>(std::chrono::steady_clock::now() - origin_);
}

void RealClock::SleepUntil(Micros time) {
  // A byte at 57600 bit/s lasts 174 us, but a sleep may last a whole scheduler tick (up to
  // 15.6 ms on Windows): sleep only for the bulk of a wait and yield through its last stretch,
  // or a transfer of 8 KB would take minutes instead of seconds.
  constexpr auto kSpin = std::chrono::milliseconds(2);
  const auto until = origin_ + time;
  for (auto now = std::chrono::steady_clock::now(); now < until;
       now = std::chrono::steady_clock::now()) {
    if (until - now > kSpin) {
      std::this_thread::sleep_for(until - now - kSpin);
    } else {
      std::this_thread::yield();
    }
  }
}

}  // namespace orvane::sim
