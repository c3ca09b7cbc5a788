#include "sim/debug/debug_runner.h"

#include <algorithm>

namespace orvane::sim::debug {

namespace {

// A slice's share of wall time: commands wait at most about this long.
constexpr Micros kSlice{10000};
// How long the thread sleeps while the CPU is held and nothing wakes it.
constexpr Micros kIdleWait{50000};

}  // namespace

DebugRunner::DebugRunner(const std::array<std::uint8_t, download::ImageSize>& program,
                         DebugData data, RunSpeed speed, Callbacks callbacks, std::uint32_t baud)
    : speed_(speed),
      callbacks_(std::move(callbacks)),
      program_(program, baud, Micros(0), std::nullopt),
      engine_(std::make_unique<DebugEngine>(program_.Board(), std::move(data), baud)) {
  if (!(speed_.factor > 0)) speed_.factor = 1;
  program_.SetController(engine_.get());
  // Every byte, whatever rate the program has set: the client shows what it sends.
  program_.Board().OnSerialSent(
      [this](std::uint8_t byte, std::uint64_t) { sent_.push_back(byte); });
  engine_->OnStopped([this](const StopEvent& event) { stops_.push_back(event); });
}

DebugRunner::~DebugRunner() {
  {
    // Counted as a waiting command, or the thread could take the lock back slice after slice.
    ++waiting_;
    std::lock_guard lock(mutex_);
    --waiting_;
    quit_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
  program_.SetController(nullptr);
}

void DebugRunner::Start(bool stopOnEntry) {
  {
    std::lock_guard lock(mutex_);
    if (thread_.joinable()) return;
    engine_->Restart(stopOnEntry);
  }
  thread_ = std::thread([this] { Loop(); });
}

void DebugRunner::Pause() {
  With([](DebugEngine& engine) { engine.Pause(); });
}

void DebugRunner::SendSerial(const std::vector<std::uint8_t>& bytes) {
  With([&](DebugEngine&) { typed_.insert(typed_.end(), bytes.begin(), bytes.end()); });
}

void DebugRunner::Loop() {
  Micros lastWall = clock_.Now();
  Micros maxSlice = kSlice;  // board time a slice at full speed covers, adapted as it goes
  std::vector<SentByte> unused;
  std::unique_lock lock(mutex_);
  while (!quit_) {
    // Typed bytes go in one after the other at the program's own rate.
    for (std::uint8_t byte : typed_) {
      const Micros start = std::max(program_.Now(), nextTypedAt_);
      if (program_.ReceiveAtOwnRate(byte, start)) nextTypedAt_ = start + program_.OwnByteTime();
    }
    typed_.clear();
    const Micros wall = clock_.Now();
    const Micros elapsed = std::min(wall - lastWall, kSlice);
    lastWall = wall;
    const bool running = !engine_->Holding();
    if (running) {
      // Real time (or a factor of it) as far as a slice of wall time can run it.
      Micros advance = speed_.max ? maxSlice
                                  : Micros(static_cast<std::int64_t>(
                                        static_cast<double>(elapsed.count()) * speed_.factor));
      advance = std::clamp(advance, Micros(1), maxSlice);
      const Micros before = clock_.Now();
      program_.AdvanceTo(program_.Now() + advance, 0, unused);
      unused.clear();
      const Micros took = clock_.Now() - before;
      if (took < kSlice / 2) maxSlice = std::min(maxSlice * 2, Micros(10'000'000));
      if (took > kSlice) maxSlice = std::max(maxSlice / 2, Micros(100));
    }
    std::vector<StopEvent> stops;
    stops.swap(stops_);
    std::vector<std::uint8_t> sent;
    sent.swap(sent_);
    lock.unlock();
    if (!sent.empty() && callbacks_.serialOutput) callbacks_.serialOutput(sent);
    for (const StopEvent& stop : stops) {
      if (callbacks_.stopped) callbacks_.stopped(stop);
    }
    lock.lock();
    if (quit_) break;
    if (waiting_ > 0) {
      wake_.wait_for(lock, kIdleWait, [&] { return waiting_ == 0 || quit_; });
    }
    if (!stops_.empty() || !typed_.empty()) continue;
    if (engine_->Holding()) {
      wake_.wait_for(lock, kIdleWait);
    } else if (!speed_.max) {
      // The next slice when there is a little time to run; a command wakes it sooner.
      wake_.wait_for(lock, std::chrono::milliseconds(2));
    }
  }
}

}  // namespace orvane::sim::debug
