#include "serial/com_event_wait_posix.h"

#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "serial/unique_fd_posix.h"

namespace orvane::serial {
namespace {

// While received bytes wait unread the descriptor stays readable, so the wait cannot sleep on it
// until the program has read them: it sleeps until a read or purge takes some, looking again
// after a pause that grows while nothing changes, and wakes at once when stopped.
constexpr int kFirstRecheckMs = 5;
constexpr int kLongestRecheckMs = 200;

constexpr std::uint32_t kQueueEvents = kEvRxChar | kEvRx80Full;
constexpr std::uint32_t kCounterEvents = kEvErr | kEvBreak;

void Drain(int fd) {
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t got = read(fd, &count, sizeof count);
}

class PosixEventWait final : public ComEventWait {
 public:
  PosixEventWait(int fd, std::shared_ptr<PosixEventLine> line)
      : fd_(fd), line_(std::move(line)), wake_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    line_->waits.fetch_add(1);
    hasCounters_ = ReadCounters(&counters_);
    Drain(line_->takenSignal.Get());
    taken_ = line_->taken.load();
    queued_ = Queued();
  }
  ~PosixEventWait() override { line_->waits.fetch_sub(1); }
  PosixEventWait(const PosixEventWait&) = delete;
  PosixEventWait& operator=(const PosixEventWait&) = delete;

  Result Wait(std::uint32_t* events) override;

  void Stop() override {
    // The eventfd stays readable from now on, so every later wait ends at once too.
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(wake_.Get(), &one, sizeof one);
  }

 private:
  bool ReadCounters(serial_icounter_struct* counters) const {
    std::memset(counters, 0, sizeof *counters);
    return ioctl(fd_, TIOCGICOUNT, counters) == 0;
  }

  std::int32_t Queued() const {
    int queued = 0;
    return ioctl(fd_, FIONREAD, &queued) == 0 ? std::max(queued, 0) : 0;
  }

  // The events since the last look, from the queue count and the counters.
  std::uint32_t Look();

  int fd_;
  std::shared_ptr<PosixEventLine> line_;
  UniqueFd wake_;
  std::uint64_t taken_ = 0;  // line_->taken when last looked
  serial_icounter_struct counters_{};
  bool hasCounters_ = false;
  std::int32_t queued_ = 0;  // the queue count last seen
  int recheckMs_ = kFirstRecheckMs;
};

std::uint32_t PosixEventWait::Look() {
  std::uint32_t events = 0;
  // Of the bytes seen last time, those not taken since are still there; more than that is new.
  const std::uint64_t taken = line_->taken.load();
  const std::uint64_t takenSince = taken - taken_;
  const std::int64_t left =
      std::max<std::int64_t>(0, queued_ - static_cast<std::int64_t>(takenSince));
  const std::int32_t queued = Queued();
  if (queued > left) {
    events |= kEvRxChar;
    const std::int32_t full = line_->inputSize.load() / 10 * 8;
    if (full > 0 && queued >= full && left < full) events |= kEvRx80Full;
  }
  taken_ = taken;
  queued_ = queued;
  serial_icounter_struct now;
  if (hasCounters_ && ReadCounters(&now)) {
    if (now.frame != counters_.frame || now.parity != counters_.parity ||
        now.overrun != counters_.overrun || now.buf_overrun != counters_.buf_overrun) {
      events |= kEvErr;
    }
    if (now.brk != counters_.brk) events |= kEvBreak | kEvErr;
    counters_ = now;
  }
  return events;
}

ComEventWait::Result PosixEventWait::Wait(std::uint32_t* events) {
  if (!wake_.Valid() || !line_->takenSignal.Valid()) return Result::kFailed;
  for (;;) {
    const std::uint32_t mask = line_->mask.load();
    const std::uint32_t seen = Look() & mask;
    if (seen != 0) {
      *events = seen;
      recheckMs_ = kFirstRecheckMs;
      return Result::kEvents;
    }
    // Sleep on the line only when it can wake us for something new: an empty queue that the
    // events of the mask care about. While bytes wait unread, sleep until the program takes
    // some, looking again after a pause that grows while nothing changes. The stop signal
    // wakes every sleep.
    const bool watchLine = (mask & (kQueueEvents | kCounterEvents)) != 0;
    const bool bytesWaiting = queued_ > 0;
    pollfd entries[3] = {
        {wake_.Get(), POLLIN, 0}, {line_->takenSignal.Get(), POLLIN, 0}, {fd_, POLLIN, 0}};
    const nfds_t count = !watchLine ? 1 : bytesWaiting ? 2 : 3;
    const int timeout = watchLine && bytesWaiting ? recheckMs_ : -1;
    const int ready = poll(entries, count, timeout);
    if (ready < 0 && errno != EINTR) return Result::kFailed;
    if (entries[0].revents != 0) return Result::kStopped;
    if (count == 3 && (entries[2].revents & (POLLHUP | POLLERR | POLLNVAL))) {
      return Result::kFailed;  // the line is gone (a hung-up terminal stays "ready" for ever)
    }
    if (entries[1].revents != 0) Drain(line_->takenSignal.Get());
    if (ready == 0) recheckMs_ = std::min(recheckMs_ * 2, kLongestRecheckMs);
  }
}

}  // namespace

PosixEventLine::PosixEventLine() : takenSignal(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

void PosixEventLine::Took(std::uint64_t count) {
  taken.fetch_add(count);
  if (waits.load() == 0) return;
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(takenSignal.Get(), &one, sizeof one);
}

std::unique_ptr<ComEventWait> NewPosixEventWait(int fd, std::shared_ptr<PosixEventLine> line) {
  return std::make_unique<PosixEventWait>(fd, std::move(line));
}

}  // namespace orvane::serial
