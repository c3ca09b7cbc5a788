#include "sim/line/virtual_board_device.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "serial/comm_timeouts.h"

namespace orvane::sim {

using serial::kSuccess;
using serial::SysError;

ProgramPacer::ProgramPacer(std::shared_ptr<VirtualBoard> board)
    : board_(std::move(board)), thread_([this] { Pace(); }) {}

ProgramPacer::~ProgramPacer() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void ProgramPacer::Pace() {
  std::unique_lock lock(mutex_);
  while (!stop_) {
    lock.unlock();
    board_->CatchUp();
    lock.lock();
    wake_.wait_for(lock, VirtualBoard::kPaceStep, [this] { return stop_; });
  }
}

VirtualBoardDevice::VirtualBoardDevice(std::shared_ptr<VirtualBoard> board)
    : board_(std::move(board)) {
  board_->HostOpened();
  if (board_->RealTime()) pacer_ = std::make_unique<ProgramPacer>(board_);
}

VirtualBoardDevice::~VirtualBoardDevice() {
  pacer_.reset();  // before the close stops the program
  board_->HostClosed();
}

SysError VirtualBoardDevice::Setup(std::int32_t inputSize, std::int32_t outputSize) {
  if (SysError error = board_->CheckCall(false)) return error;
  if (inputSize < 0 || outputSize < 0) return serial::InvalidParameterError();
  return kSuccess;
}

SysError VirtualBoardDevice::SetState(const serial::Dcb& dcb) {
  if (SysError error = board_->CheckCall(false)) return error;
  if (dcb.BaudRate == 0 || dcb.ByteSize < 5 || dcb.ByteSize > 8)
    return serial::InvalidParameterError();
  board_->HostSetLine(dcb.BaudRate, dcb.ByteSize == 8 && dcb.Parity == 0 && dcb.StopBits == 0);
  // DTR_CONTROL_ENABLE and _HANDSHAKE raise the line, _DISABLE drops it.
  const std::uint32_t dtrControl = (dcb.Flags >> serial::dcb_flags::kDtrControlShift) & 3u;
  board_->HostSetDtr(dtrControl != 0);
  return kSuccess;
}

SysError VirtualBoardDevice::SetTimeouts(const serial::CommTimeouts& timeouts) {
  if (SysError error = board_->CheckCall(false)) return error;
  timeouts_ = timeouts;
  return kSuccess;
}

serial::IoResult VirtualBoardDevice::Write(const std::uint8_t* data, std::int32_t count) {
  if (SysError error = board_->CheckCall(true)) return {error, 0};
  if (count < 0 || (count > 0 && data == nullptr)) return {serial::InvalidParameterError(), 0};
  // The line takes every byte at once and sends them one after the other: the write is done as
  // soon as it is handed over, so there is never a write time-out.
  board_->HostWrite(data, static_cast<std::size_t>(count));
  return {kSuccess, count};
}

serial::IoResult VirtualBoardDevice::Read(std::uint8_t* data, std::int32_t count) {
  if (SysError error = board_->CheckCall(false)) return {error, 0};
  if (count < 0 || (count > 0 && data == nullptr)) return {serial::InvalidParameterError(), 0};
  if (count == 0) return {kSuccess, 0};

  // The monitor only ever answers what the host sent, and everything it will send to what has
  // been written so far is already on the way; a running program is first let run up to the
  // latest moment the read can end (or until enough bytes wait). So the moment the read
  // completes is known now, and the same rules as a real line's give it.
  Clock& clock = board_->GetClock();
  const Micros now = clock.Now();
  board_->RunAhead(now + Ms(serial::ReadRuleOf(timeouts_, count).totalMs),
                   static_cast<std::size_t>(count));
  std::vector<serial::ReadTimer::Duration> arrivals;
  for (const Micros at : board_->PendingArrivals()) arrivals.push_back(at - now);
  const serial::PlannedRead plan = serial::PlanRead(timeouts_, count, arrivals);
  const Micros end = now + plan.end;
  clock.SleepUntil(end);
  const std::size_t taken = board_->HostTake(data, static_cast<std::size_t>(count));
  return {kSuccess, static_cast<std::int32_t>(taken)};
}

SysError VirtualBoardDevice::Purge(std::uint32_t flags) {
  if (SysError error = board_->CheckCall(false)) return error;
  // Written bytes are on the line the moment they are written, so only input can be discarded.
  if (flags & serial::kPurgeRxClear) board_->HostPurgeInput();
  return kSuccess;
}

SysError VirtualBoardDevice::Escape(std::uint32_t function) {
  if (SysError error = board_->CheckCall(false)) return error;
  switch (function) {
    case serial::kSetDtr:
      board_->HostSetDtr(true);
      return kSuccess;
    case serial::kClrDtr:
      board_->HostSetDtr(false);
      return kSuccess;
    case 1:
    case 2:
    case 3:
    case 4:
    case 7:
    case 8:
    case 9:  // XOFF/XON, RTS, reset, break
      return kSuccess;
    default:
      return serial::InvalidParameterError();
  }
}

SysError VirtualBoardDevice::ClearError(std::uint32_t* errors, std::uint32_t* inputQueue) {
  if (SysError error = board_->CheckCall(false)) return error;
  if (errors) *errors = 0;
  if (inputQueue) *inputQueue = static_cast<std::uint32_t>(board_->HostInputWaiting());
  return kSuccess;
}

SysError VirtualBoardDevice::ModemStatus(std::uint32_t* status) {
  if (SysError error = board_->CheckCall(false)) return error;
  // The board drives no modem lines; the converter's own lines read as ready.
  if (status) *status = serial::kMsCtsOn | serial::kMsDsrOn;
  return kSuccess;
}

SysError VirtualBoardDevice::SetEventMask(std::uint32_t mask) {
  if (SysError error = board_->CheckCall(false)) return error;
  eventMask_->store(mask);
  return kSuccess;
}

namespace {

// The board's bytes arrive at known times, so the wait sleeps until the next one is due. When
// none is on its way the board may still start sending on its own (a program running on it), and
// nothing signals that: the wait looks again after a pause that grows while nothing comes.
// Virtual time moves only when the host waits, so every pause lasts a little real time.
constexpr auto kShortestPause = std::chrono::milliseconds(2);
constexpr auto kLongestPause = std::chrono::milliseconds(200);

class VirtualBoardEventWait final : public serial::ComEventWait {
 public:
  VirtualBoardEventWait(std::shared_ptr<VirtualBoard> board,
                        std::shared_ptr<const std::atomic<std::uint32_t>> mask)
      : board_(std::move(board)), mask_(std::move(mask)), arrivals_(board_->HostArrivals()) {}

  Result Wait(std::uint32_t* events) override {
    std::unique_lock lock(mutex_);
    for (;;) {
      if (stop_) return Result::kStopped;
      if (board_->Vanished()) return Result::kFailed;
      // Counted since the start, not as the queue's length: the host may have taken one byte
      // and another come since the last look, leaving the length as it was.
      const std::uint64_t arrivals = board_->HostArrivals();
      const bool arrived = arrivals > arrivals_;
      arrivals_ = arrivals;
      if (arrived && (mask_->load() & serial::kEvRxChar) != 0) {
        *events = serial::kEvRxChar;
        pause_ = kShortestPause;
        return Result::kEvents;
      }
      stopped_.wait_for(lock, NextPause());
    }
  }

  void Stop() override {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    stopped_.notify_all();
  }

 private:
  std::chrono::microseconds NextPause() {
    const Micros now = board_->GetClock().Now();
    for (const Micros at : board_->PendingArrivals()) {
      if (at > now) {
        pause_ = kShortestPause;
        return std::clamp<std::chrono::microseconds>(at - now, kShortestPause, kLongestPause);
      }
    }
    const auto pause = pause_;
    pause_ = std::min<std::chrono::microseconds>(pause_ * 2, kLongestPause);
    return pause;
  }

  std::shared_ptr<VirtualBoard> board_;
  std::shared_ptr<const std::atomic<std::uint32_t>> mask_;
  std::uint64_t arrivals_;
  std::chrono::microseconds pause_ = kShortestPause;
  std::mutex mutex_;
  std::condition_variable stopped_;
  bool stop_ = false;
};

}  // namespace

std::unique_ptr<serial::ComEventWait> VirtualBoardDevice::NewEventWait() {
  return std::make_unique<VirtualBoardEventWait>(board_, eventMask_);
}

std::unique_ptr<serial::ComDevice> OpenBoardDevice(const std::shared_ptr<VirtualBoard>& board,
                                                   SysError* error) {
  SysError result = kSuccess;
  if (!board || board->Vanished()) {
    result = serial::PortAbsentError();
  } else if (board->Held() || board->OpenHandles() > 0) {
    // Ports are opened without sharing.
    result = serial::PortHeldError();
  }
  if (error) *error = result;
  if (result != kSuccess) return nullptr;
  return std::make_unique<VirtualBoardDevice>(board);
}

}  // namespace orvane::sim
