#include "sim/virtual_board.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "serial/virtual_ports.h"

namespace orvane::sim {

using serial::kSuccess;
using serial::SysError;

VirtualBoard::VirtualBoard(BoardConfig config, std::shared_ptr<Clock> clock)
    : clock_(clock ? std::move(clock) : std::make_shared<VirtualClock>()),
      config_(std::move(config)),
      firmware_(config_) {}

BoardConfig VirtualBoard::Config() const {
  std::lock_guard lock(mutex_);
  return config_;
}

void VirtualBoard::SetConfig(const BoardConfig& config) {
  std::lock_guard lock(mutex_);
  config_ = config;
  firmware_.SetConfig(config);
  writes_ = 0;  // a write-count fault counts from the moment it is set
}

void VirtualBoard::SetHeld(bool held) {
  std::lock_guard lock(mutex_);
  held_ = held;
}

bool VirtualBoard::Held() const {
  std::lock_guard lock(mutex_);
  return held_;
}

void VirtualBoard::SetVanished(bool vanished) {
  std::lock_guard lock(mutex_);
  vanished_ = vanished;
}

bool VirtualBoard::Vanished() const {
  std::lock_guard lock(mutex_);
  return vanished_;
}

void VirtualBoard::RecordLocked(const LineEvent& event, std::uint64_t id) {
  if (record_.size() >= kRecordLimit) {
    record_.erase(record_.begin(), record_.begin() + static_cast<std::ptrdiff_t>(kRecordLimit / 2));
  }
  record_.push_back({event, id});
}

Micros VirtualBoard::ByteTime(std::uint32_t baud) const {
  if (!config_.pacing || baud == 0) return Micros(0);
  const double micros = 1e6 * board::kBitsPerByte / baud;
  return Micros(static_cast<std::int64_t>(std::llround(micros)));
}

void VirtualBoard::HostOpened() {
  std::lock_guard lock(mutex_);
  ++openHandles_;
  RecordLocked({clock_->Now(), LineEventKind::Opened});
}

void VirtualBoard::HostClosed() {
  std::lock_guard lock(mutex_);
  const Micros now = clock_->Now();
  openHandles_ = std::max(0, openHandles_ - 1);
  // A closed port no longer drives DTR.
  SetDtrLocked(false, now);
  RecordLocked({now, LineEventKind::Closed});
}

void VirtualBoard::HostSetLine(std::uint32_t baud, bool eightN1) {
  std::lock_guard lock(mutex_);
  hostBaud_ = baud;
  hostEightN1_ = eightN1;
  LineEvent event{clock_->Now(), LineEventKind::LineConfig};
  event.baud = baud;
  event.heard = eightN1;
  RecordLocked(event);
}

void VirtualBoard::HostSetDtr(bool high) {
  std::lock_guard lock(mutex_);
  SetDtrLocked(high, clock_->Now());
}

void VirtualBoard::SetDtrLocked(bool high, Micros now) {
  if (high == dtrHigh_) return;
  dtrHigh_ = high;
  RecordLocked({now, high ? LineEventKind::DtrHigh : LineEventKind::DtrLow});
  if (high) {
    // The rise after a fall ends the pulse and restarts the firmware.
    ResetLocked(now);
  } else {
    // Held in reset while DTR is low: it hears nothing and stops sending.
    hearFrom_ = Micros::max();
    std::erase_if(toHost_, [&](const Outgoing& out) {
      if (out.start < now) return false;
      std::erase_if(record_, [&](const Recorded& r) { return r.id == out.id; });
      return true;
    });
  }
}

void VirtualBoard::ResetLocked(Micros at) {
  firmware_.Reset();
  ++resets_;
  hearFrom_ = at + config_.bootTime;
  // What the board had not yet begun to send is never sent.
  std::erase_if(toHost_, [&](const Outgoing& out) {
    if (out.start < at) return false;
    std::erase_if(record_, [&](const Recorded& r) { return r.id == out.id; });
    return true;
  });
  boardLineFree_ = std::min(boardLineFree_, at);
  RecordLocked({at, LineEventKind::Reset});
}

void VirtualBoard::ResetNow() {
  std::lock_guard lock(mutex_);
  ResetLocked(clock_->Now());
}

void VirtualBoard::HostWrite(const std::uint8_t* data, std::size_t count) {
  std::lock_guard lock(mutex_);
  const Micros now = clock_->Now();
  const Micros byteTime = ByteTime(hostBaud_);
  const bool rateOk = config_.rates.empty() || std::find(config_.rates.begin(), config_.rates.end(),
                                                         hostBaud_) != config_.rates.end();
  for (std::size_t i = 0; i < count; ++i) {
    const Micros start = std::max(now, hostLineFree_);
    const Micros end = start + byteTime;
    hostLineFree_ = end;
    const bool heard = rateOk && hostEightN1_ && dtrHigh_ && end >= hearFrom_;
    LineEvent event{start, LineEventKind::HostByte, data[i], hostBaud_, heard};
    RecordLocked(event);
    if (!heard) continue;
    for (const Answer& answer : firmware_.Receive(data[i])) {
      Outgoing out;
      out.start = std::max(end + answer.delay, boardLineFree_);
      out.arrival = out.start + byteTime;
      out.byte = answer.byte;
      out.id = ++nextId_;
      boardLineFree_ = out.arrival;
      toHost_.push_back(out);
      RecordLocked({out.start, LineEventKind::BoardByte, out.byte, hostBaud_, true}, out.id);
    }
  }
}

std::vector<Micros> VirtualBoard::PendingArrivals() const {
  std::lock_guard lock(mutex_);
  std::vector<Micros> arrivals;
  arrivals.reserve(toHost_.size());
  for (const Outgoing& out : toHost_) arrivals.push_back(out.arrival);
  return arrivals;
}

std::size_t VirtualBoard::HostTake(std::uint8_t* data, std::size_t max) {
  std::lock_guard lock(mutex_);
  const Micros now = clock_->Now();
  std::size_t taken = 0;
  while (taken < max && !toHost_.empty() && toHost_.front().arrival <= now) {
    data[taken++] = toHost_.front().byte;
    toHost_.pop_front();
  }
  return taken;
}

std::size_t VirtualBoard::HostInputWaiting() const {
  std::lock_guard lock(mutex_);
  const Micros now = clock_->Now();
  return static_cast<std::size_t>(std::count_if(
      toHost_.begin(), toHost_.end(), [&](const Outgoing& out) { return out.arrival <= now; }));
}

void VirtualBoard::HostPurgeInput() {
  std::lock_guard lock(mutex_);
  const Micros now = clock_->Now();
  std::erase_if(toHost_, [&](const Outgoing& out) { return out.arrival <= now; });
  RecordLocked({now, LineEventKind::InputPurged});
}

std::array<std::uint8_t, download::ImageSize> VirtualBoard::Memory() const {
  std::lock_guard lock(mutex_);
  return firmware_.Memory();
}

std::uint8_t VirtualBoard::MemoryAt(std::uint16_t address) const {
  std::lock_guard lock(mutex_);
  if (address < download::ImageBase || address >= download::ImageLimit) {
    return BoardFirmware::kErased;
  }
  return firmware_.Memory()[address - download::ImageBase];
}

void VirtualBoard::SetMemory(const std::array<std::uint8_t, download::ImageSize>& memory) {
  std::lock_guard lock(mutex_);
  firmware_.Memory() = memory;
}

FirmwareState VirtualBoard::State() const {
  std::lock_guard lock(mutex_);
  return firmware_.State();
}

bool VirtualBoard::ProgramStarted() const {
  std::lock_guard lock(mutex_);
  return firmware_.ProgramStarted();
}

std::uint8_t VirtualBoard::LastCommand() const {
  std::lock_guard lock(mutex_);
  return firmware_.LastCommand();
}

int VirtualBoard::CompletedDownloads() const {
  std::lock_guard lock(mutex_);
  return firmware_.CompletedDownloads();
}

int VirtualBoard::Resets() const {
  std::lock_guard lock(mutex_);
  return resets_;
}

int VirtualBoard::OpenHandles() const {
  std::lock_guard lock(mutex_);
  return openHandles_;
}

std::vector<LineEvent> VirtualBoard::Record() const {
  std::lock_guard lock(mutex_);
  std::vector<LineEvent> events;
  events.reserve(record_.size());
  for (const Recorded& r : record_) events.push_back(r.event);
  return events;
}

std::vector<std::uint8_t> VirtualBoard::HostBytes() const {
  std::lock_guard lock(mutex_);
  std::vector<std::uint8_t> bytes;
  for (const Recorded& r : record_) {
    if (r.event.kind == LineEventKind::HostByte) bytes.push_back(r.event.byte);
  }
  return bytes;
}

std::vector<std::uint8_t> VirtualBoard::BoardBytes() const {
  std::lock_guard lock(mutex_);
  std::vector<std::uint8_t> bytes;
  for (const Recorded& r : record_) {
    if (r.event.kind == LineEventKind::BoardByte) bytes.push_back(r.event.byte);
  }
  return bytes;
}

void VirtualBoard::ClearRecord() {
  std::lock_guard lock(mutex_);
  record_.clear();
}

SysError VirtualBoard::CheckCall(bool isWrite) {
  std::lock_guard lock(mutex_);
  if (vanished_) return config_.vanishError;
  if (isWrite) {
    if (config_.vanishAfterWrites && writes_ >= *config_.vanishAfterWrites) {
      vanished_ = true;
      return config_.vanishError;
    }
    ++writes_;
  }
  return kSuccess;
}

// ---------------------------------------------------------------------------------------------

VirtualBoardDevice::VirtualBoardDevice(std::shared_ptr<VirtualBoard> board)
    : board_(std::move(board)) {
  board_->HostOpened();
}

VirtualBoardDevice::~VirtualBoardDevice() { board_->HostClosed(); }

SysError VirtualBoardDevice::Setup(std::int32_t inputSize, std::int32_t outputSize) {
  if (SysError error = board_->CheckCall(false)) return error;
  if (inputSize < 0 || outputSize < 0) return kErrorInvalidParameter;
  return kSuccess;
}

SysError VirtualBoardDevice::SetState(const serial::Dcb& dcb) {
  if (SysError error = board_->CheckCall(false)) return error;
  if (dcb.BaudRate == 0 || dcb.ByteSize < 5 || dcb.ByteSize > 8) return kErrorInvalidParameter;
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
  if (count < 0 || (count > 0 && data == nullptr)) return {kErrorInvalidParameter, 0};
  // The line takes every byte at once and sends them one after the other: the write is done as
  // soon as it is handed over, so there is never a write time-out.
  board_->HostWrite(data, static_cast<std::size_t>(count));
  return {kSuccess, count};
}

serial::IoResult VirtualBoardDevice::Read(std::uint8_t* data, std::int32_t count) {
  if (SysError error = board_->CheckCall(false)) return {error, 0};
  if (count < 0 || (count > 0 && data == nullptr)) return {kErrorInvalidParameter, 0};
  if (count == 0) return {kSuccess, 0};

  constexpr std::uint32_t kMax = 0xFFFFFFFF;
  Clock& clock = board_->GetClock();
  const Micros now = clock.Now();
  const std::vector<Micros> arrivals = board_->PendingArrivals();
  const std::uint32_t interval = timeouts_.ReadIntervalTimeout;
  const std::uint32_t multiplier = timeouts_.ReadTotalTimeoutMultiplier;
  const std::uint32_t constant = timeouts_.ReadTotalTimeoutConstant;

  // The board only ever answers what the host sent, and everything it will send to what has been
  // written so far is already on the way: so the moment the read completes is known now.
  Micros end = now;
  if (interval == kMax && multiplier == 0 && constant == 0) {
    end = now;  // return at once with what has arrived
  } else if (interval == kMax && multiplier == kMax && constant != 0 && constant != kMax) {
    // Bytes waiting: at once. Otherwise the first byte to come within the constant, if any.
    const Micros deadline = now + Ms(constant);
    if (!arrivals.empty() && arrivals.front() <= deadline) {
      end = std::max(now, arrivals.front());
    } else {
      end = deadline;
    }
  } else {
    const bool hasTotal = multiplier != 0 || constant != 0;
    const Micros deadline = hasTotal
                                ? now + Ms(static_cast<std::int64_t>(multiplier) * count + constant)
                                : Micros::max();
    const bool hasInterval = interval != 0 && interval != kMax;
    std::int32_t got = 0;
    Micros last = now;
    for (std::size_t i = 0; i < arrivals.size() && got < count; ++i) {
      const Micros at = std::max(now, arrivals[i]);
      if (at > deadline) break;
      if (hasInterval && got > 0 && at - last > Ms(interval)) break;
      last = at;
      ++got;
    }
    if (got == count) {
      end = last;
    } else if (hasInterval && got > 0) {
      end = std::min(last + Ms(interval), deadline);
    } else if (hasTotal) {
      end = deadline;
    } else {
      // No limit at all and nothing more coming: a real line would wait for ever; this one
      // returns what it has rather than hang.
      end = got > 0 ? last : now;
    }
  }
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
      return kErrorInvalidParameter;
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

// ---------------------------------------------------------------------------------------------

std::unique_ptr<serial::ComDevice> OpenBoardDevice(const std::shared_ptr<VirtualBoard>& board,
                                                   SysError* error) {
  SysError result = kSuccess;
  if (!board || board->Vanished()) {
    result = kErrorFileNotFound;
  } else if (board->Held() || board->OpenHandles() > 0) {
    // Ports are opened without sharing.
    result = kErrorAccessDenied;
  }
  if (error) *error = result;
  if (result != kSuccess) return nullptr;
  return std::make_unique<VirtualBoardDevice>(board);
}

std::shared_ptr<VirtualBoard> EnableVirtualBoard(bool listed, const BoardConfig& config) {
  static std::mutex mutex;
  static std::shared_ptr<VirtualBoard> board;
  std::lock_guard lock(mutex);
  if (!board) board = std::make_shared<VirtualBoard>(config, std::make_shared<RealClock>());
  std::shared_ptr<VirtualBoard> shared = board;
  serial::RegisterVirtualPort(
      kVirtualPortName,
      [shared]() -> std::unique_ptr<serial::ComDevice> {
        SysError ignored = kSuccess;
        return OpenBoardDevice(shared, &ignored);
      },
      listed);
  return board;
}

bool VirtualBoardRequestedByEnvironment() {
  const char* value = std::getenv("ORVANE_VIRTUAL_BOARD");
  return value != nullptr && std::string(value) == "1";
}

}  // namespace orvane::sim
