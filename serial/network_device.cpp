#include "serial/network_device.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "serial/comm_timeouts.h"
#include "serial/net_socket.h"
#include "serial/network_address.h"
#include "serial/telnet_com_port.h"

namespace orvane::serial {
namespace {

using Clock = std::chrono::steady_clock;
namespace tn = telnet;

// Input the program has not read yet is kept up to this much; beyond it bytes are lost as an
// overflowing driver loses them (and reported the same way).
constexpr std::size_t kMaxQueuedInput = 1 << 20;

// Answers are counted by what was asked: by command, and for SET-CONTROL by the value too (the
// server answers each with the value it set), so a late answer to one control command is never
// taken for the next one's.
constexpr std::size_t kAnswerSlots = tn::kCommandCount + 256;
std::size_t AnswerSlot(std::uint8_t command, std::uint32_t value = 0) {
  return command == tn::kSetControl ? tn::kCommandCount + (value & 0xFF) : command;
}

// What the receiving thread, the device and its event waits share.
struct NetworkLine {
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::uint8_t> input;
  bool dropping = false;  // a purge of the input waits for the server's answer
  bool ended = false;     // the connection is gone; endError says how
  SysError endError = kSuccess;
  std::uint32_t lineErrors = 0;  // ClearError's flags since it was last called
  std::uint32_t modemStatus = 0;
  std::uint32_t eventMask = 0;
  std::uint32_t events = 0;                           // occurred and not reported yet
  std::array<std::uint32_t, kAnswerSlots> answers{};  // answers received, by AnswerSlot

  void Occurred(std::uint32_t event) {
    events |= event;
    if (events & eventMask) changed.notify_all();
  }
};

std::uint32_t LineErrorsOf(std::uint32_t state) {
  std::uint32_t errors = 0;
  if (state & tn::kLineOverrun) errors |= kCeOverrun;
  if (state & tn::kLineParity) errors |= kCeRxParity;
  if (state & tn::kLineFraming) errors |= kCeFrame;
  if (state & tn::kLineBreak) errors |= kCeBreak;
  return errors;
}

// What a changed modem state means for the events.
std::uint32_t ModemEventsOf(std::uint32_t before, std::uint32_t now) {
  const std::uint32_t changed = before ^ now;
  std::uint32_t events = 0;
  if (changed & kMsCtsOn) events |= kEvCts;
  if (changed & kMsDsrOn) events |= kEvDsr;
  if (changed & kMsRlsdOn) events |= kEvRlsd;
  if ((before & kMsRingOn) && !(now & kMsRingOn)) events |= kEvRing;  // a ring has ended
  return events;
}

class NetworkEventWait final : public ComEventWait {
 public:
  explicit NetworkEventWait(std::shared_ptr<NetworkLine> line) : line_(std::move(line)) {}

  Result Wait(std::uint32_t* events) override {
    std::unique_lock lock(line_->mutex);
    line_->changed.wait(
        lock, [&] { return stopped_ || (line_->events & line_->eventMask) != 0 || line_->ended; });
    if (stopped_) return Result::kStopped;
    *events = line_->events & line_->eventMask;
    line_->events &= ~*events;
    if (*events != 0) return Result::kEvents;
    return Result::kFailed;  // the connection is gone: nothing more will happen
  }

  void Stop() override {
    std::lock_guard lock(line_->mutex);
    stopped_ = true;
    line_->changed.notify_all();
  }

 private:
  std::shared_ptr<NetworkLine> line_;
  bool stopped_ = false;  // guarded by the line's mutex
};

class NetworkComDevice final : public ComDevice {
 public:
  explicit NetworkComDevice(std::unique_ptr<NetSocket> socket)
      : socket_(std::move(socket)), line_(std::make_shared<NetworkLine>()) {
    receiver_ = std::thread([this] { Receive(); });
  }

  ~NetworkComDevice() override {
    socket_->Wake();
    receiver_.join();
  }

  SysError Start();

  SysError Setup(std::int32_t, std::int32_t) override { return kSuccess; }
  SysError SetState(const Dcb& dcb) override;
  SysError SetTimeouts(const CommTimeouts& timeouts) override {
    timeouts_ = timeouts;
    return kSuccess;
  }
  IoResult Write(const std::uint8_t* data, std::int32_t count) override;
  IoResult Read(std::uint8_t* data, std::int32_t count) override;
  SysError Purge(std::uint32_t flags) override;
  SysError Escape(std::uint32_t function) override;
  SysError ClearError(std::uint32_t* errors, std::uint32_t* inputQueue) override;
  SysError ModemStatus(std::uint32_t* status) override;
  SysError SetEventMask(std::uint32_t mask) override {
    std::lock_guard lock(line_->mutex);
    line_->eventMask = mask;
    line_->events = 0;
    return kSuccess;
  }
  std::unique_ptr<ComEventWait> NewEventWait() override {
    return std::make_unique<NetworkEventWait>(line_);
  }

 private:
  // The receiving thread: the server's stream until the connection ends or the device closes.
  void Receive();
  void Take(const tn::Received& received);
  void TakeData(const std::uint8_t* data, std::size_t count);
  void End(SysError error);

  // The receiver's negotiation replies wait in a queue for whoever holds the line next, so the
  // receiver never waits for the line (a write stuck on a server that reads nothing holds it):
  // it sends them itself only when the line is free, and then without waiting.
  void QueueReplies(const std::vector<std::uint8_t>& replies);
  // With the line held: the queued replies within `limit`; false when some are still left.
  bool FlushReplies(std::chrono::milliseconds limit, SysError* error);
  // Lets go of the line, sending first (without waiting) any replies queued meanwhile.
  void ReleaseLine(std::unique_lock<std::mutex>& line);
  // Sends bytes as they stand, after the queued replies; the error when the connection failed.
  SysError SendRaw(const std::vector<std::uint8_t>& bytes);
  // Sends commands and waits (briefly, see kNetworkAnswerWait) for an answer in each of `slots`.
  SysError Command(const std::vector<std::uint8_t>& bytes,
                   std::initializer_list<std::size_t> slots);
  SysError Control(std::uint8_t value);

  std::unique_ptr<NetSocket> socket_;
  std::shared_ptr<NetworkLine> line_;
  std::thread receiver_;
  tn::Receiver parser_;   // the receiving thread's alone
  std::mutex sendMutex_;  // the line: whoever sends holds it
  std::mutex repliesMutex_;
  std::vector<std::uint8_t> replies_;  // guarded by repliesMutex_
  CommTimeouts timeouts_{};
  // A server that left one control command unanswered is not waited for again.
  bool controlsUnanswered_ = false;
};

void NetworkComDevice::Receive() {
  std::array<std::uint8_t, 4096> buffer;
  tn::Received received;
  for (;;) {
    SysError error = kSuccess;
    const NetSocket::Wait wait = socket_->WaitReadable(&error);
    if (wait == NetSocket::Wait::kWoken) return;
    if (wait == NetSocket::Wait::kFailed) return End(error);
    for (;;) {
      const std::int64_t got = socket_->Receive(buffer.data(), buffer.size(), &error);
      if (got == 0) return End(ConnectionEndedError());
      if (got < 0) {
        if (error != kSuccess) return End(error);
        break;  // all taken: wait again
      }
      received.Clear();
      parser_.Feed(buffer.data(), static_cast<std::size_t>(got), received);
      // Replies left over from a full connection are tried again with each arrival.
      QueueReplies(received.replies);
      Take(received);
    }
  }
}

void NetworkComDevice::Take(const tn::Received& received) {
  std::lock_guard lock(line_->mutex);
  std::size_t from = 0;
  for (std::size_t i = 0; i < received.messages.size(); ++i) {
    const std::size_t to = received.dataBeforeMessage[i];
    TakeData(received.data.data() + from, to - from);
    from = to;
    const tn::ComPortMessage& message = received.messages[i];
    if (message.code < tn::kServerOffset || message.code >= tn::kServerOffset + tn::kCommandCount) {
      continue;  // not a server's: ignored
    }
    const std::uint8_t command = message.code - tn::kServerOffset;
    if (command == tn::kNotifyLineState) {
      const std::uint32_t errors = LineErrorsOf(message.value);
      line_->lineErrors |= errors;
      if (errors & kCeBreak) line_->Occurred(kEvBreak);
      if (errors & ~kCeBreak) line_->Occurred(kEvErr);
    } else if (command == tn::kNotifyModemState) {
      const std::uint32_t now = message.value & tn::kModemLineMask;
      line_->Occurred(ModemEventsOf(line_->modemStatus, now));
      line_->modemStatus = now;
    } else {
      // Bytes that came before the answer to a purge of the input were in the server's queue.
      if (command == tn::kPurgeData) line_->dropping = false;
      ++line_->answers[AnswerSlot(command, message.value)];
    }
  }
  TakeData(received.data.data() + from, received.data.size() - from);
  line_->changed.notify_all();
}

// With the line's mutex held.
void NetworkComDevice::TakeData(const std::uint8_t* data, std::size_t count) {
  if (count == 0 || line_->dropping) return;
  const std::size_t room = kMaxQueuedInput - line_->input.size();
  if (count > room) {
    line_->lineErrors |= kCeRxOver;
    line_->Occurred(kEvErr);
  }
  line_->input.insert(line_->input.end(), data, data + std::min(count, room));
  line_->Occurred(kEvRxChar);
}

void NetworkComDevice::End(SysError error) {
  std::lock_guard lock(line_->mutex);
  line_->ended = true;
  line_->endError = error;
  line_->changed.notify_all();
}

void NetworkComDevice::QueueReplies(const std::vector<std::uint8_t>& replies) {
  {
    std::lock_guard lock(repliesMutex_);
    replies_.insert(replies_.end(), replies.begin(), replies.end());
    if (replies_.empty()) return;
  }
  std::unique_lock line(sendMutex_, std::try_to_lock);
  if (line.owns_lock()) ReleaseLine(line);  // else its holder sends them as it lets go
}

bool NetworkComDevice::FlushReplies(std::chrono::milliseconds limit, SysError* error) {
  std::vector<std::uint8_t> pending;
  {
    std::lock_guard lock(repliesMutex_);
    pending.swap(replies_);
  }
  if (pending.empty()) return true;
  const std::size_t sent = socket_->Send(pending.data(), pending.size(), limit, error);
  if (sent == pending.size()) return true;
  // The rest goes first next time, before anything queued since.
  std::lock_guard lock(repliesMutex_);
  replies_.insert(replies_.begin(), pending.begin() + static_cast<long>(sent), pending.end());
  return false;
}

void NetworkComDevice::ReleaseLine(std::unique_lock<std::mutex>& line) {
  for (;;) {
    SysError ignored = kSuccess;  // a failed connection shows on the next transfer
    const bool allSent = FlushReplies(std::chrono::milliseconds(0), &ignored);
    line.unlock();
    if (!allSent) return;  // the connection is full: the rest goes with the next send
    {
      std::lock_guard lock(repliesMutex_);
      if (replies_.empty()) return;
    }
    // Queued after the flush: sent now, unless another holder has the line and sends them.
    if (!line.try_lock()) return;
  }
}

SysError NetworkComDevice::SendRaw(const std::vector<std::uint8_t>& bytes) {
  std::unique_lock line(sendMutex_);
  const std::chrono::milliseconds limit(kUnlimitedTransferMs);
  SysError error = kSuccess;
  if (FlushReplies(limit, &error)) {
    const std::size_t sent = socket_->Send(bytes.data(), bytes.size(), limit, &error);
    if (error == kSuccess && sent < bytes.size()) error = TimedOutError();
  } else if (error == kSuccess) {
    error = TimedOutError();
  }
  ReleaseLine(line);
  return error;
}

SysError NetworkComDevice::Command(const std::vector<std::uint8_t>& bytes,
                                   std::initializer_list<std::size_t> slots) {
  std::array<std::uint32_t, kAnswerSlots> before;
  {
    std::lock_guard lock(line_->mutex);
    if (line_->ended) return line_->endError;
    before = line_->answers;
  }
  if (const SysError error = SendRaw(bytes)) return error;
  const auto deadline = Clock::now() + kNetworkAnswerWait;
  std::unique_lock lock(line_->mutex);
  const bool answered = line_->changed.wait_until(lock, deadline, [&] {
    return line_->ended || std::all_of(slots.begin(), slots.end(), [&](std::size_t slot) {
             return line_->answers[slot] != before[slot];
           });
  });
  if (line_->ended) return line_->endError;
  if (!answered && std::any_of(slots.begin(), slots.end(), [](std::size_t slot) {
        return slot >= tn::kCommandCount;  // a control command's
      })) {
    controlsUnanswered_ = true;
  }
  return kSuccess;  // an answer that does not come is no failure: the server may never send it
}

SysError NetworkComDevice::Control(std::uint8_t value) {
  std::vector<std::uint8_t> bytes;
  tn::AppendCommand(bytes, tn::kSetControl, value);
  if (controlsUnanswered_) {
    std::lock_guard lock(line_->mutex);
    if (line_->ended) return line_->endError;
  }
  return controlsUnanswered_ ? SendRaw(bytes)
                             : Command(bytes, {AnswerSlot(tn::kSetControl, value)});
}

SysError NetworkComDevice::Start() {
  std::vector<std::uint8_t> bytes = tn::OpeningNegotiation();
  tn::AppendCommand(bytes, tn::kSetLineStateMask, tn::kLineErrorMask);
  tn::AppendCommand(bytes, tn::kSetModemStateMask, tn::kModemLineMask);
  return SendRaw(bytes);
}

SysError NetworkComDevice::SetState(const Dcb& dcb) {
  using namespace dcb_flags;
  static constexpr std::uint8_t kStopSizes[] = {1, 3, 2};  // one, one and a half, two
  if (dcb.BaudRate == 0 || dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.Parity > 4 ||
      dcb.StopBits > 2) {
    return InvalidParameterError();
  }
  std::vector<std::uint8_t> bytes;
  tn::AppendCommand(bytes, tn::kSetBaudRate, dcb.BaudRate, 4);
  tn::AppendCommand(bytes, tn::kSetDataSize, dcb.ByteSize);
  tn::AppendCommand(bytes, tn::kSetParity, dcb.Parity + 1u);
  tn::AppendCommand(bytes, tn::kSetStopSize, kStopSizes[dcb.StopBits]);
  // The server's line has no flow control: the protocols over it wait for their answers.
  tn::AppendCommand(bytes, tn::kSetControl, tn::kControlNoFlowControl);
  if (const SysError error =
          Command(bytes, {AnswerSlot(tn::kSetBaudRate), AnswerSlot(tn::kSetDataSize),
                          AnswerSlot(tn::kSetParity), AnswerSlot(tn::kSetStopSize)})) {
    return error;
  }
  // DTR and RTS follow their control mode as the line is set up, as on a local port.
  const bool dtr = ((dcb.Flags >> kDtrControlShift) & 3u) != 0;
  const bool rts = ((dcb.Flags >> kRtsControlShift) & 3u) != 0;
  if (const SysError error = Control(dtr ? tn::kControlDtrOn : tn::kControlDtrOff)) return error;
  return Control(rts ? tn::kControlRtsOn : tn::kControlRtsOff);
}

IoResult NetworkComDevice::Write(const std::uint8_t* data, std::int32_t count) {
  IoResult result;
  if (count <= 0) return result;
  {
    std::lock_guard lock(line_->mutex);
    if (line_->ended) {
      result.error = line_->endError;
      return result;
    }
  }
  std::vector<std::uint8_t> bytes;
  bytes.reserve(static_cast<std::size_t>(count) + 8);
  tn::AppendData(bytes, data, static_cast<std::size_t>(count));
  const auto limit = std::chrono::milliseconds(WriteLimitMs(timeouts_, count));
  const auto deadline = Clock::now() + limit;
  std::unique_lock line(sendMutex_);
  std::size_t sent = 0;
  if (FlushReplies(limit, &result.error)) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    sent = socket_->Send(bytes.data(), bytes.size(), std::max(left, std::chrono::milliseconds(0)),
                         &result.error);
  }
  ReleaseLine(line);
  // Data bytes sent: a doubled 0xFF counts once, and half of one does not count.
  std::size_t wire = 0;
  while (wire < sent && result.transferred < count) {
    const std::size_t size = data[result.transferred] == tn::kIac ? 2 : 1;
    if (wire + size > sent) break;
    wire += size;
    ++result.transferred;
  }
  return result;
}

IoResult NetworkComDevice::Read(std::uint8_t* data, std::int32_t count) {
  std::unique_lock lock(line_->mutex);
  const auto take = [this](std::uint8_t* into, std::int32_t room) {
    ReadStep step;
    const auto size = std::min<std::size_t>(line_->input.size(), static_cast<std::size_t>(room));
    std::copy_n(line_->input.begin(), size, into);
    line_->input.erase(line_->input.begin(), line_->input.begin() + static_cast<long>(size));
    step.got = static_cast<std::int32_t>(size);
    // What arrived before the end is the program's; the read after it fails.
    step.ended = line_->ended && line_->input.empty();
    step.endError = line_->endError;
    return step;
  };
  const auto wait = [this, &lock](Clock::time_point deadline, SysError*) {
    return line_->changed.wait_until(lock, deadline,
                                     [this] { return !line_->input.empty() || line_->ended; });
  };
  return TimedRead(timeouts_, data, count, false, take, wait);
}

SysError NetworkComDevice::Purge(std::uint32_t flags) {
  // Transfers run to their end on the calling thread, so none is pending to abort.
  const bool rx = (flags & kPurgeRxClear) != 0;
  const bool tx = (flags & kPurgeTxClear) != 0;
  if (!rx && !tx) return kSuccess;
  {
    std::lock_guard lock(line_->mutex);
    if (line_->ended) return line_->endError;
    if (rx) {
      line_->input.clear();
      line_->dropping = true;
    }
  }
  std::vector<std::uint8_t> bytes;
  tn::AppendCommand(bytes, tn::kPurgeData,
                    rx && tx ? tn::kPurgeBoth
                    : rx     ? tn::kPurgeReceive
                             : tn::kPurgeTransmit);
  const SysError error = Command(bytes, {AnswerSlot(tn::kPurgeData)});
  std::lock_guard lock(line_->mutex);
  if (line_->dropping) {  // no answer in time: what is queued now counts as purged
    line_->dropping = false;
    line_->input.clear();
  }
  return error;
}

SysError NetworkComDevice::Escape(std::uint32_t function) {
  switch (function) {
    case 3:
      return Control(tn::kControlRtsOn);  // SETRTS
    case 4:
      return Control(tn::kControlRtsOff);  // CLRRTS
    case kSetDtr:
      return Control(tn::kControlDtrOn);
    case kClrDtr:
      return Control(tn::kControlDtrOff);
    case 8:
      return Control(tn::kControlBreakOn);  // SETBREAK
    case 9:
      return Control(tn::kControlBreakOff);  // CLRBREAK
    default:
      return InvalidParameterError();  // XON/XOFF by hand: the server's line has no flow control
  }
}

SysError NetworkComDevice::ClearError(std::uint32_t* errors, std::uint32_t* inputQueue) {
  std::lock_guard lock(line_->mutex);
  *errors = std::exchange(line_->lineErrors, 0);
  *inputQueue = static_cast<std::uint32_t>(line_->input.size());
  return kSuccess;
}

SysError NetworkComDevice::ModemStatus(std::uint32_t* status) {
  std::lock_guard lock(line_->mutex);
  *status = line_->modemStatus;
  return kSuccess;
}

}  // namespace

std::unique_ptr<ComDevice> OpenNetworkDevice(const std::string& port, SysError* error) {
  const auto address = ParseNetworkPortName(port);
  if (!address) {
    *error = InvalidParameterError();
    return nullptr;
  }
  auto socket = ConnectSocket(address->host, address->port, kNetworkConnectLimit, error);
  if (!socket) return nullptr;
  auto device = std::make_unique<NetworkComDevice>(std::move(socket));
  if ((*error = device->Start()) != kSuccess) return nullptr;
  return device;
}

}  // namespace orvane::serial
