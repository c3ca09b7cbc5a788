#include "sim/line/virtual_board.h"

#include <algorithm>
#include <cmath>

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
  AdvanceProgramLocked(now);
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
  AdvanceProgramLocked(clock_->Now());
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
    // Held in reset while DTR is low: it hears nothing, stops sending and stops its program.
    hearFrom_ = Micros::max();
    EndProgramLocked();
    std::erase_if(toHost_, [&](const Outgoing& out) {
      if (out.start < now) return false;
      std::erase_if(record_, [&](const Recorded& r) { return r.id == out.id; });
      return true;
    });
  }
}

void VirtualBoard::ResetLocked(Micros at) {
  AdvanceProgramLocked(at);
  EndProgramLocked();  // back in the monitor
  firmware_.Reset();
  ++resets_;
  ++run_;
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
    if (program_) {
      // The program's own serial port hears the byte, at the rate the program has set.
      AdvanceProgramLocked(start);
      const bool heard = hostEightN1_ && program_->Receive(data[i], start, hostBaud_);
      RecordLocked({start, LineEventKind::HostByte, data[i], hostBaud_, heard});
      continue;
    }
    const bool heard = rateOk && hostEightN1_ && dtrHigh_ && end >= hearFrom_;
    LineEvent event{start, LineEventKind::HostByte, data[i], hostBaud_, heard};
    RecordLocked(event);
    if (!heard) continue;
    const bool wasStarted = firmware_.ProgramStarted();
    for (const Answer& answer : firmware_.Receive(data[i])) {
      SendLocked(answer.byte, end + answer.delay, byteTime);
    }
    if (!wasStarted && firmware_.ProgramStarted() && config_.program == ProgramBehaviour::Run) {
      // The monitor jumps to the program once its last answer has gone out.
      StartProgramLocked(std::max(end, boardLineFree_));
    }
  }
}

void VirtualBoard::StartProgramLocked(Micros start) {
  EndProgramLocked();
  program_ =
      std::make_unique<RunningProgram>(firmware_.Memory(), hostBaud_, start, config_.stuckBit);
  ++run_;
  SetControllerLocked();
  BoardModel& board = program_->Board();
  for (int button = 0; button < 2; ++button) board.SetButton(button, (buttons_ >> button) & 1);
  for (int port = 0; port < 3; ++port) board.SetSwitches(port, switches_[port]);
}

void VirtualBoard::AdvanceProgramLocked(Micros until, std::size_t stopAfter) {
  if (!program_) return;
  if (realTime_) program_->DropLag(clock_->Now(), kMaxLag);
  std::vector<SentByte> sent;
  program_->AdvanceTo(until, stopAfter, sent);
  const Micros byteTime = ByteTime(hostBaud_);
  for (const SentByte& s : sent) {
    if (toHost_.size() >= kInputLimit) continue;  // the host's input buffer is full
    SendLocked(s.byte, s.end - byteTime, byteTime);
  }
}

void VirtualBoard::RunAhead(Micros until, std::size_t wanted) {
  std::lock_guard lock(mutex_);
  if (!program_) return;
  // Never further than the read needs: the host's next byte must not find the program already
  // past the moment it arrives.
  const std::size_t waiting = toHost_.size();
  if (waiting >= wanted) {
    AdvanceProgramLocked(clock_->Now());
  } else {
    AdvanceProgramLocked(until, wanted - waiting);
  }
}

void VirtualBoard::SendLocked(std::uint8_t byte, Micros earliest, Micros byteTime) {
  Outgoing out;
  out.start = std::max(earliest, boardLineFree_);
  out.arrival = out.start + byteTime;
  out.byte = byte;
  out.id = ++nextId_;
  boardLineFree_ = out.arrival;
  toHost_.push_back(out);
  RecordLocked({out.start, LineEventKind::BoardByte, out.byte, hostBaud_, true}, out.id);
}

void VirtualBoard::BoardSend(const std::vector<std::uint8_t>& bytes, Micros start) {
  std::lock_guard lock(mutex_);
  const Micros byteTime = ByteTime(hostBaud_);
  for (const std::uint8_t byte : bytes) SendLocked(byte, start, byteTime);
}

std::vector<Micros> VirtualBoard::PendingArrivals() {
  std::lock_guard lock(mutex_);
  AdvanceProgramLocked(clock_->Now());
  std::vector<Micros> arrivals;
  arrivals.reserve(toHost_.size());
  for (const Outgoing& out : toHost_) arrivals.push_back(out.arrival);
  return arrivals;
}

std::size_t VirtualBoard::HostTake(std::uint8_t* data, std::size_t max) {
  std::lock_guard lock(mutex_);
  const Micros now = clock_->Now();
  AdvanceProgramLocked(now);
  std::size_t taken = 0;
  while (taken < max && !toHost_.empty() && toHost_.front().arrival <= now) {
    data[taken++] = toHost_.front().byte;
    toHost_.pop_front();
  }
  hostTaken_ += taken;
  return taken;
}

std::size_t VirtualBoard::HostInputWaiting() {
  std::lock_guard lock(mutex_);
  return ArrivedLocked();
}

std::uint64_t VirtualBoard::HostArrivals() {
  std::lock_guard lock(mutex_);
  return hostTaken_ + ArrivedLocked();
}

std::size_t VirtualBoard::ArrivedLocked() {
  const Micros now = clock_->Now();
  AdvanceProgramLocked(now);
  return static_cast<std::size_t>(std::count_if(
      toHost_.begin(), toHost_.end(), [&](const Outgoing& out) { return out.arrival <= now; }));
}

void VirtualBoard::HostPurgeInput() {
  std::lock_guard lock(mutex_);
  const Micros now = clock_->Now();
  AdvanceProgramLocked(now);
  hostTaken_ += std::erase_if(toHost_, [&](const Outgoing& out) { return out.arrival <= now; });
  RecordLocked({now, LineEventKind::InputPurged});
}

void VirtualBoard::SetButton(int button, bool pressed) {
  if (button < 0 || button > 1) return;  // INT0 and INT1
  std::lock_guard lock(mutex_);
  const Micros now = clock_->Now();
  AdvanceProgramLocked(now);  // the press acts at the present, not where the CPU stands
  const std::uint8_t bit = static_cast<std::uint8_t>(1u << button);
  buttons_ = pressed ? buttons_ | bit : buttons_ & ~bit;
  if (program_) program_->Board().SetButton(button, pressed);
}

void VirtualBoard::SetSwitches(int port, std::uint8_t levels) {
  if (port < 0 || port > 2) return;
  std::lock_guard lock(mutex_);
  AdvanceProgramLocked(clock_->Now());
  switches_[static_cast<std::size_t>(port)] = levels;
  if (program_) program_->Board().SetSwitches(port, levels);
}

bool VirtualBoard::TypeToProgram(const std::uint8_t* data, std::size_t count) {
  std::lock_guard lock(mutex_);
  if (!program_) return false;
  const Micros now = clock_->Now();
  AdvanceProgramLocked(now);
  const Micros byteTime = program_->OwnByteTime();
  if (byteTime <= Micros(0)) return false;
  for (std::size_t i = 0; i < count; ++i) {
    const Micros start = std::max(now, hostLineFree_);
    hostLineFree_ = start + byteTime;
    program_->ReceiveAtOwnRate(data[i], start);
    RecordLocked({start, LineEventKind::HostByte, data[i], hostBaud_, true});
  }
  return true;
}

BoardSnapshot VirtualBoard::Snapshot() {
  std::lock_guard lock(mutex_);
  AdvanceProgramLocked(clock_->Now());
  BoardSnapshot snapshot =
      program_ ? ReadBoard(program_->Board()) : MonitorSnapshot(buttons_, switches_);
  snapshot.run = run_;
  return snapshot;
}

void VirtualBoard::SetRealTime(bool on) {
  std::lock_guard lock(mutex_);
  realTime_ = on;
}

bool VirtualBoard::RealTime() const {
  std::lock_guard lock(mutex_);
  return realTime_;
}

void VirtualBoard::CatchUp() {
  std::lock_guard lock(mutex_);
  AdvanceProgramLocked(clock_->Now());
}

void VirtualBoard::SetControllerFactory(ControllerFactory factory) {
  std::lock_guard lock(mutex_);
  AdvanceProgramLocked(clock_->Now());
  controllerFactory_ = std::move(factory);
  SetControllerLocked();
}

void VirtualBoard::SetControllerLocked() {
  if (program_) program_->SetController(nullptr);
  controller_.reset();
  if (!program_ || !controllerFactory_) return;
  controller_ = controllerFactory_(*program_);
  program_->SetController(controller_.get());
}

void VirtualBoard::EndProgramLocked() {
  if (program_) program_->SetController(nullptr);
  controller_.reset();
  program_.reset();
}

void VirtualBoard::WithProgram(const std::function<void(RunningProgram*, CpuController*)>& work) {
  std::lock_guard lock(mutex_);
  AdvanceProgramLocked(clock_->Now());
  work(program_.get(), controller_.get());
}

std::uint64_t VirtualBoard::Runs() const {
  std::lock_guard lock(mutex_);
  return run_;
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

bool VirtualBoard::CpuRunning() const {
  std::lock_guard lock(mutex_);
  return program_ != nullptr;
}

std::string VirtualBoard::ProgramReport() const {
  std::lock_guard lock(mutex_);
  return program_ ? program_->Board().Report() : std::string();
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

}  // namespace orvane::sim
