#include "sim/clock.h"

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
  const auto until = origin_ + time;
  while (std::chrono::steady_clock::now() < until) std::this_thread::sleep_until(until);
}

}  // namespace orvane::sim
