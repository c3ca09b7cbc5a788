// A virtual board under the debugger on a thread of its own: the program runs in real time, at a
// factor of it, or as fast as the machine goes, in slices of at most 10 ms so that a pause or
// any other command waits no longer than that (every wait is bounded). What the program sends on
// its serial port comes out through a callback as it is sent; bytes can be typed to it.
//
// The board is a RunningProgram with the engine as its controller, as the in-process virtual
// board of the Windows program can have it.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "download/memory_image.h"
#include "sim/board/clock.h"
#include "sim/debug/debug_engine.h"
#include "sim/line/running_program.h"

namespace orvane::sim::debug {

struct RunSpeed {
  double factor = 1.0;  // 1: real time
  bool max = false;     // as fast as it goes
};

class DebugRunner {
 public:
  struct Callbacks {
    std::function<void(const StopEvent&)> stopped;
    std::function<void(const std::vector<std::uint8_t>&)> serialOutput;
  };

  // The board with `program` loaded, held at its entry until Start. Callbacks come from the
  // runner's thread, never while a command holds the engine.
  DebugRunner(const std::array<std::uint8_t, download::ImageSize>& program, DebugData data,
              RunSpeed speed, Callbacks callbacks, std::uint32_t baud = 57600);
  ~DebugRunner();
  DebugRunner(const DebugRunner&) = delete;
  DebugRunner& operator=(const DebugRunner&) = delete;

  // Starts the thread and the program (a stop event Entry first when asked).
  void Start(bool stopOnEntry);

  // Runs `f(engine)` between slices, under the runner's lock; returns what it returns.
  template <typename F>
  auto With(F&& f) {
    ++waiting_;  // the thread lets go of the lock between slices while a command waits
    std::unique_lock lock(mutex_);
    --waiting_;
    struct Wake {
      DebugRunner& runner;
      ~Wake() { runner.wake_.notify_all(); }
    } wake{*this};
    return f(*engine_);
  }
  // Pause, which takes effect within one slice.
  void Pause();
  // Bytes typed to the program's serial port, at the rate it has set, one after the other.
  void SendSerial(const std::vector<std::uint8_t>& bytes);

 private:
  void Loop();

  RunSpeed speed_;
  Callbacks callbacks_;
  RunningProgram program_;
  std::unique_ptr<DebugEngine> engine_;
  RealClock clock_;

  std::mutex mutex_;
  std::condition_variable wake_;
  bool quit_ = false;
  std::atomic<int> waiting_{0};
  std::vector<StopEvent> stops_;  // made under the lock, sent outside it
  std::vector<std::uint8_t> sent_;
  std::vector<std::uint8_t> typed_;  // waiting to go into the receiver
  Micros nextTypedAt_{0};
  std::thread thread_;
};

}  // namespace orvane::sim::debug
