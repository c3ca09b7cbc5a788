#include "sim/server/board_server_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <utility>

#include "board/board_protocol.h"
#include "serial/line_speed_posix.h"

namespace orvane::sim {
namespace {

// How often the server looks at a running program (which runs up to the present each time).
constexpr Micros kProgramTick{1000};

timespec TimespecOf(Micros wait) {
  const std::int64_t us = std::max<std::int64_t>(wait.count(), 0);
  return timespec{static_cast<time_t>(us / 1000000), static_cast<long>(us % 1000000) * 1000};
}

void PrintEvent(const LineEvent& event) {
  const double ms = event.time.count() / 1000.0;
  switch (event.kind) {
    case LineEventKind::HostByte:
      std::fprintf(stderr, "%10.3f host  %02X%s\n", ms, event.byte,
                   event.heard ? "" : " (not heard)");
      break;
    case LineEventKind::BoardByte:
      std::fprintf(stderr, "%10.3f board %02X\n", ms, event.byte);
      break;
    case LineEventKind::Reset:
      std::fprintf(stderr, "%10.3f reset\n", ms);
      break;
    case LineEventKind::LineConfig:
      std::fprintf(stderr, "%10.3f line  %u%s\n", ms, event.baud, event.heard ? " 8N1" : "");
      break;
    default:
      break;
  }
}

}  // namespace

PtyBoardServer::PtyBoardServer(std::shared_ptr<VirtualBoard> board, BoardServerOptions options)
    : board_(std::move(board)), options_(std::move(options)) {
  if (Open()) Link();
}

bool PtyBoardServer::Link() {
  if (options_.link.empty()) return true;
  std::error_code ignored;
  std::filesystem::remove(options_.link, ignored);
  std::error_code error;
  std::filesystem::create_symlink(terminal_, options_.link, error);
  if (error) failure_ = "cannot link " + options_.link + ": " + error.message();
  return !error;
}

// The board pulled out: the host's side of the terminal hangs up at once. Plugged in again, it
// comes back on a new terminal behind the same link, as a USB converter gets a new device.
void PtyBoardServer::PullOut() {
  master_.Reset(-1);
  opens_.Reset(-1);
  hostOpen_ = false;
  watchingOpens_ = false;
  unsent_.clear();
  board_->HostClosed();
  if (!options_.replug) {
    vanished_ = true;
    return;
  }
  options_.vanishAfterBytes = 0;
  if (!Open() || !Link()) vanished_ = true;
}

PtyBoardServer::~PtyBoardServer() {
  if (options_.link.empty() || !failure_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove(options_.link, ignored);
}

bool PtyBoardServer::Open() {
  int master = -1;
  int slave = -1;
  char name[256] = {};
  if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
    failure_ = std::string("openpty: ") + std::strerror(errno);
    return false;
  }
  master_.Reset(master);
  // Not kept open here, so that the host closing the terminal can be seen.
  const serial::UniqueFd slaveFd(slave);
  terminal_ = name;
  // Raw until the host sets its own line: no echo, no line editing, no newline translation.
  termios raw{};
  tcgetattr(slaveFd.Get(), &raw);
  cfmakeraw(&raw);
  cfsetspeed(&raw, serial::SpeedOfRate(board::kDefaultBaudRate));
  tcsetattr(slaveFd.Get(), TCSANOW, &raw);
  fcntl(master_.Get(), F_SETFL, fcntl(master_.Get(), F_GETFL) | O_NONBLOCK);
  opens_.Reset(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  if (!opens_.Valid() || inotify_add_watch(opens_.Get(), name, IN_OPEN) < 0) {
    failure_ = std::string("inotify: ") + std::strerror(errno);
    // Every board server holds an inotify instance, of which a user has few.
    if (!opens_.Valid() && errno == EMFILE) {
      failure_ +=
          ": the limit of inotify instances for one user is reached "
          "(fs.inotify.max_user_instances, /proc/sys/fs/inotify/max_user_instances)";
    }
    return false;
  }
  return true;
}

int PtyBoardServer::Run(const std::atomic<bool>& stop, const sigset_t& waitMask) {
  while (!stop && !vanished_) {
    if (!Wait(waitMask)) return 1;
    Deliver();
    IdleReset();
    Report();
    DumpAfterDownload();
  }
  return 0;
}

bool PtyBoardServer::Wait(const sigset_t& waitMask) {
  // While the host holds the terminal, an open of it besides the host's is a DTR pulse (see
  // SeeDtrPulse); otherwise the next open is the host coming.
  pollfd fds[2] = {};
  nfds_t count = 1;
  if (watchingOpens_) {
    fds[0] = {opens_.Get(), POLLIN, 0};
  } else {
    fds[0] = {master_.Get(), static_cast<short>(POLLIN | (unsent_.empty() ? 0 : POLLOUT)), 0};
    fds[1] = {opens_.Get(), POLLIN, 0};
    count = 2;
  }
  const std::optional<Micros> deadline = NextDeadline();
  timespec wait{};
  if (deadline) wait = TimespecOf(*deadline - board_->GetClock().Now());
  const int ready = ppoll(fds, count, deadline ? &wait : nullptr, &waitMask);
  if (ready < 0) {
    if (errno == EINTR) return true;  // a signal: the caller looks whether to stop
    std::perror("orvane-board: poll");
    return false;
  }
  if (watchingOpens_) {
    if (ready > 0) CheckHostAfterOpen();
    return true;
  }
  const short revents = fds[0].revents;
  if (revents & POLLHUP) {
    HostGone();
    return true;
  }
  // Quiet, or something to do: either way the terminal is open. A pulse goes before the bytes:
  // the host opened the terminal for it before it sent them.
  const bool pulsed = hostOpen_ && (fds[1].revents & POLLIN);
  if (!hostOpen_) HostCame();
  if (pulsed) SeeDtrPulse();
  if (revents & POLLIN) Receive();
  if (revents & POLLOUT) Flush();
  return true;
}

void PtyBoardServer::DrainOpens() {
  char events[4096];
  while (read(opens_.Get(), events, sizeof events) > 0) {
  }
}

// A terminal has no DTR line, so a host that wants to pulse it (our Wine modem-line shim does)
// opens the terminal once more at the rise that ends the pulse: the board restarts as it would.
void PtyBoardServer::SeeDtrPulse() {
  DrainOpens();
  board_->HostSetDtr(false);
  board_->HostSetDtr(true);
  lastActivity_ = board_->GetClock().Now();
}

std::optional<Micros> PtyBoardServer::NextDeadline() const {
  const std::vector<Micros> arrivals = board_->PendingArrivals();
  if (board_->CpuRunning()) {
    // The program runs as time passes: look again soon, so its bytes go out close to when it
    // sends them.
    const Micros soon = board_->GetClock().Now() + kProgramTick;
    return arrivals.empty() ? soon : std::min(arrivals.front(), soon);
  }
  if (!arrivals.empty()) return arrivals.front();
  if (options_.idleResetMs <= 0) return std::nullopt;
  const FirmwareState state = board_->State();
  if (state == FirmwareState::Idle || state == FirmwareState::Ready ||
      state == FirmwareState::ProgramRunning) {
    return std::nullopt;
  }
  return lastActivity_ + Ms(options_.idleResetMs);
}

void PtyBoardServer::HostCame() {
  DrainOpens();  // the host's own open is no pulse
  hostOpen_ = true;
  hostBytes_ = 0;
  board_->HostOpened();
  board_->HostSetDtr(true);  // opening the port raises DTR: the board restarts
  lastActivity_ = board_->GetClock().Now();
}

void PtyBoardServer::HostGone() {
  // Nobody has the terminal open: nothing to do until someone opens it.
  watchingOpens_ = true;
  unsent_.clear();
  if (!hostOpen_) return;
  hostOpen_ = false;
  board_->HostClosed();
}

void PtyBoardServer::CheckHostAfterOpen() {
  DrainOpens();
  // The open may already have been undone; the terminal says whether anyone holds it now.
  pollfd fd{master_.Get(), POLLIN, 0};
  if (poll(&fd, 1, 0) >= 0 && (fd.revents & POLLHUP) == 0) {
    watchingOpens_ = false;
    HostCame();
  }
}

void PtyBoardServer::Receive() {
  std::uint8_t buffer[256];
  const ssize_t n = read(master_.Get(), buffer, sizeof buffer);
  if (n <= 0) return;
  SeeLine();
  std::size_t take = static_cast<std::size_t>(n);
  const long vanishAt = options_.vanishAfterBytes;
  if (vanishAt > 0 && hostBytes_ + n >= vanishAt)
    take = static_cast<std::size_t>(vanishAt - hostBytes_);
  hostBytes_ += static_cast<long>(take);
  board_->HostWrite(buffer, take);
  lastActivity_ = board_->GetClock().Now();
  if (vanishAt > 0 && hostBytes_ >= vanishAt) PullOut();
}

// The rate and framing as the host last set them.
void PtyBoardServer::SeeLine() {
  termios line{};
  if (tcgetattr(master_.Get(), &line) != 0) return;
  const bool eightN1 =
      (line.c_cflag & CSIZE) == CS8 && (line.c_cflag & PARENB) == 0 && (line.c_cflag & CSTOPB) == 0;
  const std::uint32_t rate = serial::RateOfSpeed(cfgetospeed(&line));
  if (rate == rate_ && eightN1 == eightN1_) return;
  rate_ = rate;
  eightN1_ = eightN1;
  board_->HostSetLine(rate, eightN1);
}

void PtyBoardServer::Deliver() {
  std::uint8_t buffer[256];
  const std::size_t n = board_->HostTake(buffer, sizeof buffer);
  if (n == 0) return;
  lastActivity_ = board_->GetClock().Now();
  if (!hostOpen_) return;  // sent into a cable nobody listens to
  unsent_.insert(unsent_.end(), buffer, buffer + n);
  Flush();
}

void PtyBoardServer::Flush() {
  while (!unsent_.empty()) {
    const ssize_t written = write(master_.Get(), unsent_.data(), unsent_.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0 && errno == EAGAIN) return;  // the wait watches for room
    if (written < 0) {
      unsent_.clear();
      return;
    }
    unsent_.erase(unsent_.begin(), unsent_.begin() + written);
  }
}

void PtyBoardServer::IdleReset() {
  if (options_.idleResetMs <= 0) return;
  const FirmwareState state = board_->State();
  if (state == FirmwareState::Idle || state == FirmwareState::Ready ||
      state == FirmwareState::ProgramRunning) {
    return;
  }
  if (!board_->PendingArrivals().empty()) return;
  if (board_->GetClock().Now() - lastActivity_ >= Ms(options_.idleResetMs)) {
    board_->ResetNow();
    lastActivity_ = board_->GetClock().Now();
  }
}

// Prints what crossed the line since the last call, and forgets it so the record stays small.
void PtyBoardServer::Report() {
  if (options_.verbose) {
    for (const LineEvent& event : board_->Record()) PrintEvent(event);
  }
  board_->ClearRecord();
}

void PtyBoardServer::DumpAfterDownload() {
  if (board_->CompletedDownloads() == dumpedDownloads_) return;
  dumpedDownloads_ = board_->CompletedDownloads();
  DumpMemory();
}

bool PtyBoardServer::DumpMemory() const {
  if (options_.dump.empty()) return true;
  const std::string temporary = options_.dump + ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    const auto memory = board_->Memory();
    out.write(reinterpret_cast<const char*>(memory.data()),
              static_cast<std::streamsize>(memory.size()));
    if (!out) return false;
  }
  std::error_code error;
  std::filesystem::rename(temporary, options_.dump, error);
  return !error;
}

}  // namespace orvane::sim
