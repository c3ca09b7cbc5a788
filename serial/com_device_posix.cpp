// Serial devices over POSIX termios (Linux). The descriptor is non-blocking; every wait is a poll()
// against a monotonic deadline, so a waiting Read uses no CPU and a signal only restarts the wait.
#include "serial/com_device.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <utility>

#include "serial/com_event_wait_posix.h"
#include "serial/comm_timeouts.h"
#include "serial/custom_baud_posix.h"
#include "serial/line_speed_posix.h"
#include "serial/unique_fd_posix.h"

namespace orvane::serial {
namespace {

using Clock = std::chrono::steady_clock;

SysError LastError() { return static_cast<SysError>(errno); }

// Pseudo-terminals and some adapters have no modem-control lines; for them the line calls do
// nothing and read all lines off, which keeps virtual serial links usable.
bool NoModemLines(int error) { return error == ENOTTY || error == EINVAL; }

// Data bits, parity and stop bits of the record into the termios flags; false for values the
// record does not define.
bool SetFraming(const Dcb& dcb, termios& tio) {
  switch (dcb.ByteSize) {
    case 5:
      tio.c_cflag |= CS5;
      break;
    case 6:
      tio.c_cflag |= CS6;
      break;
    case 7:
      tio.c_cflag |= CS7;
      break;
    case 8:
      tio.c_cflag |= CS8;
      break;
    default:
      return false;
  }
  switch (dcb.Parity) {
    case 0:
      break;
    case 1:
      tio.c_cflag |= PARENB | PARODD;
      break;
    case 2:
      tio.c_cflag |= PARENB;
      break;
    case 3:
      tio.c_cflag |= PARENB | PARODD | CMSPAR;
      break;
    case 4:
      tio.c_cflag |= PARENB | CMSPAR;
      break;
    default:
      return false;
  }
  switch (dcb.StopBits) {
    case 0:
      break;
    case 1:  // one and a half: the UART sends 1.5 for five data bits when asked for two
    case 2:
      tio.c_cflag |= CSTOPB;
      break;
    default:
      return false;
  }
  return true;
}

// A USB converter holds what it receives up to its latency timer (often 16 ms) before it passes
// it on, which a protocol that waits for an answer to each byte pays on every byte. Asked for low
// latency, its driver lowers the timer to the least (ftdi_sio: 1 ms). The flag belongs to the
// tty and outlives this descriptor, so the setting found is returned to be put back on close;
// none when there is nothing to put back (a pty or a driver without the setting, low latency
// already on, or the driver refused).
std::optional<serial_struct> RequestLowLatency(int fd) {
  serial_struct found{};
  if (ioctl(fd, TIOCGSERIAL, &found) != 0) return std::nullopt;
  if (found.flags & ASYNC_LOW_LATENCY) return std::nullopt;
  serial_struct low = found;
  low.flags |= ASYNC_LOW_LATENCY;
  if (ioctl(fd, TIOCSSERIAL, &low) != 0) return std::nullopt;
  return found;
}

class PosixComDevice final : public ComDevice {
 public:
  PosixComDevice(UniqueFd fd, std::optional<serial_struct> restoreOnClose)
      : fd_(std::move(fd)), restoreOnClose_(restoreOnClose) {
    hasCounters_ = ReadCounters(&counters_);
  }

  ~PosixComDevice() override {
    if (restoreOnClose_) ioctl(fd_.Get(), TIOCSSERIAL, &*restoreOnClose_);
    // The exclusive mode belongs to the tty, which may outlive this descriptor (a pty whose other
    // side stays open): give it up so the port can be opened again.
    ioctl(fd_.Get(), TIOCNXCL);
  }

  SysError Setup(std::int32_t inputSize, std::int32_t) override {
    // The kernel keeps its own queue sizes; the input size only sets when evRx80Full comes.
    events_->inputSize.store(inputSize);
    return kSuccess;
  }

  SysError SetState(const Dcb& dcb) override;

  SysError SetTimeouts(const CommTimeouts& timeouts) override {
    timeouts_ = timeouts;
    return kSuccess;
  }

  IoResult Write(const std::uint8_t* data, std::int32_t count) override;
  IoResult Read(std::uint8_t* data, std::int32_t count) override;

  SysError Purge(std::uint32_t flags) override {
    // Transfers run to their end on the calling thread, so none is pending to abort.
    const bool rx = (flags & kPurgeRxClear) != 0;
    const bool tx = (flags & kPurgeTxClear) != 0;
    if (!rx && !tx) return kSuccess;
    int queued = 0;
    if (rx && ioctl(fd_.Get(), TIOCINQ, &queued) != 0) queued = 0;
    const int queue = rx && tx ? TCIOFLUSH : rx ? TCIFLUSH : TCOFLUSH;
    if (tcflush(fd_.Get(), queue) != 0) return LastError();
    if (queued > 0) events_->Took(static_cast<std::uint64_t>(queued));
    return kSuccess;
  }

  SysError Escape(std::uint32_t function) override;

  SysError ClearError(std::uint32_t* errors, std::uint32_t* inputQueue) override {
    int queued = 0;
    if (ioctl(fd_.Get(), TIOCINQ, &queued) != 0) return LastError();
    *inputQueue = static_cast<std::uint32_t>(std::max(queued, 0));
    *errors = TakeCountedErrors();
    return kSuccess;
  }

  // Without the TIOCINQ a byte-by-byte transfer would pay after every Read.
  SysError ClearLineErrors(std::uint32_t* errors) override {
    *errors = TakeCountedErrors();
    return kSuccess;
  }

  SysError ModemStatus(std::uint32_t* status) override {
    *status = 0;
    int lines = 0;
    if (ioctl(fd_.Get(), TIOCMGET, &lines) != 0) {
      return NoModemLines(errno) ? kSuccess : LastError();
    }
    if (lines & TIOCM_CTS) *status |= kMsCtsOn;
    if (lines & TIOCM_DSR) *status |= kMsDsrOn;
    if (lines & TIOCM_RNG) *status |= kMsRingOn;
    if (lines & TIOCM_CAR) *status |= kMsRlsdOn;
    return kSuccess;
  }

  SysError SetEventMask(std::uint32_t mask) override {
    events_->mask.store(mask);
    return kSuccess;
  }

  std::unique_ptr<ComEventWait> NewEventWait() override {
    return NewPosixEventWait(fd_.Get(), events_);
  }

 private:
  SysError ModemLine(int line, bool on) {
    if (ioctl(fd_.Get(), on ? TIOCMBIS : TIOCMBIC, &line) == 0) return kSuccess;
    return NoModemLines(errno) ? kSuccess : LastError();
  }

  bool ReadCounters(serial_icounter_struct* counters) {
    std::memset(counters, 0, sizeof *counters);
    return ioctl(fd_.Get(), TIOCGICOUNT, counters) == 0;
  }

  // Line errors since the last call, from the driver's counters (drivers without them report none).
  std::uint32_t TakeCountedErrors() {
    serial_icounter_struct now;
    if (!hasCounters_ || !ReadCounters(&now)) return 0;
    std::uint32_t errors = 0;
    if (now.frame != counters_.frame) errors |= kCeFrame;
    if (now.parity != counters_.parity) errors |= kCeRxParity;
    if (now.overrun != counters_.overrun) errors |= kCeOverrun;
    if (now.brk != counters_.brk) errors |= kCeBreak;
    if (now.buf_overrun != counters_.buf_overrun) errors |= kCeRxOver;
    counters_ = now;
    return errors;
  }

  // Waits until the descriptor is ready for events or the deadline passes; false on time-out.
  // A signal restarts the wait with what is left of it.
  bool WaitReady(short events, Clock::time_point deadline, SysError* error);

  // One non-blocking read; drops zero bytes when the line says so. Returns bytes kept, or -1.
  ssize_t ReadSome(std::uint8_t* data, std::int32_t count);

  UniqueFd fd_;
  std::optional<serial_struct> restoreOnClose_;  // the line settings before low latency
  CommTimeouts timeouts_{};
  bool discardNull_ = false;
  serial_icounter_struct counters_{};
  bool hasCounters_ = false;  // asked once: most USB adapters and every pty keep none
  std::shared_ptr<PosixEventLine> events_ = std::make_shared<PosixEventLine>();  // and its waits
};

bool PosixComDevice::WaitReady(short events, Clock::time_point deadline, SysError* error) {
  for (;;) {
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) return false;
    // Rounded up, so the wait never ends before the deadline.
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    pollfd entry{fd_.Get(), events, 0};
    const int ready = poll(&entry, 1, static_cast<int>(std::min<decltype(ms)>(ms, 1 << 30)));
    if (ready > 0) {
      if (entry.revents & POLLNVAL) {
        *error = EBADF;
        return false;
      }
      // Hung up with nothing left to read or no room to write (a converter pulled out, a pty
      // whose other side closed): nothing will come, so it is an error, never a silent wait
      // that ends in a zero-byte read.
      if ((entry.revents & (POLLHUP | POLLERR)) && !(entry.revents & events)) {
        *error = EIO;
        return false;
      }
      return true;  // ready (a hang-up with data still waiting shows on a later read)
    }
    if (ready < 0 && errno != EINTR) {
      *error = LastError();
      return false;
    }
  }
}

ssize_t PosixComDevice::ReadSome(std::uint8_t* data, std::int32_t count) {
  for (;;) {
    const ssize_t got = read(fd_.Get(), data, static_cast<size_t>(count));
    if (got < 0 && errno == EINTR) continue;
    if (got > 0) events_->Took(static_cast<std::uint64_t>(got));
    if (got <= 0 || !discardNull_) return got;
    std::uint8_t* end = std::remove(data, data + got, std::uint8_t{0});
    if (end != data) return end - data;
    // Only zero bytes came: look for more (the descriptor says EAGAIN when there are none).
  }
}

IoResult PosixComDevice::Read(std::uint8_t* data, std::int32_t count) {
  const auto take = [this](std::uint8_t* into, std::int32_t room) {
    ReadStep step;
    const ssize_t got = ReadSome(into, room);
    if (got > 0) {
      step.got = static_cast<std::int32_t>(got);
    } else if (got == 0) {
      // End of file: the other side of the line is gone (a pty whose master closed). Nothing
      // more will come.
      step.ended = true;
      step.endError = EIO;
    } else if (errno != EAGAIN && errno != EWOULDBLOCK) {
      step.error = LastError();
    }
    return step;
  };
  const auto wait = [this](Clock::time_point deadline, SysError* error) {
    return WaitReady(POLLIN, deadline, error);
  };
  // A read that may wait mostly waits for an answer that has not come yet: it looks with poll()
  // first rather than read in vain.
  return TimedRead(timeouts_, data, count, true, take, wait);
}

IoResult PosixComDevice::Write(const std::uint8_t* data, std::int32_t count) {
  IoResult result;
  if (count <= 0) return result;
  const auto deadline = Clock::now() + std::chrono::milliseconds(WriteLimitMs(timeouts_, count));
  for (;;) {
    const ssize_t put = write(fd_.Get(), data + result.transferred,
                              static_cast<size_t>(count - result.transferred));
    if (put > 0) {
      result.transferred += static_cast<std::int32_t>(put);
      if (result.transferred == count) return result;
      continue;
    }
    if (put < 0 && errno == EINTR) continue;
    if (put < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      result.error = LastError();
      return result;
    }
    // Output held back (full queue, flow control): wait for room until the time-out runs out.
    if (!WaitReady(POLLOUT, deadline, &result.error)) return result;
  }
}

SysError PosixComDevice::SetState(const Dcb& dcb) {
  using namespace dcb_flags;
  termios tio;
  if (tcgetattr(fd_.Get(), &tio) != 0) return LastError();
  cfmakeraw(&tio);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK | ISTRIP);
  // With a minimum of one byte an empty queue reads as EAGAIN (the descriptor is non-blocking)
  // and 0 means only end of file; the time-outs are kept by poll(), not by the driver.
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;

  if (!SetFraming(dcb, tio)) return EINVAL;
  // A byte that fails the parity check arrives as a zero byte; without the check it arrives as
  // received.
  if (dcb.Flags & kParity) tio.c_iflag |= INPCK;
  if (dcb.Flags & kOutX) tio.c_iflag |= IXON;
  if (dcb.Flags & kInX) tio.c_iflag |= IXOFF;
  tio.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
  tio.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
  const std::uint32_t rtsControl = (dcb.Flags >> kRtsControlShift) & 3u;
  const std::uint32_t dtrControl = (dcb.Flags >> kDtrControlShift) & 3u;
  // termios has one switch for both directions of hardware handshake.
  if ((dcb.Flags & kOutxCtsFlow) || rtsControl == 2) tio.c_cflag |= CRTSCTS;

  if (dcb.BaudRate == 0 || dcb.BaudRate > 0x7FFFFFFF) return EINVAL;
  const speed_t speed = SpeedOfRate(dcb.BaudRate);
  if (speed != B0) {
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
  }
  if (tcsetattr(fd_.Get(), TCSANOW, &tio) != 0) return LastError();
  if (const int error = SetAndCheckBaudRate(fd_.Get(), dcb.BaudRate, speed == B0)) {
    return static_cast<SysError>(error);
  }
  discardNull_ = (dcb.Flags & kNull) != 0;

  // DTR and RTS follow their control mode as the line is set up (handshake and toggle modes,
  // which termios cannot drive line by line, start with the line raised).
  if (const SysError error = ModemLine(TIOCM_DTR, dtrControl != 0)) return error;
  if (rtsControl != 2) {
    if (const SysError error = ModemLine(TIOCM_RTS, rtsControl != 0)) return error;
  }
  return kSuccess;
}

SysError PosixComDevice::Escape(std::uint32_t function) {
  switch (function) {
    case 1:
      return tcflow(fd_.Get(), TCOOFF) == 0 ? kSuccess : LastError();  // SETXOFF
    case 2:
      return tcflow(fd_.Get(), TCOON) == 0 ? kSuccess : LastError();  // SETXON
    case 3:
      return ModemLine(TIOCM_RTS, true);  // SETRTS
    case 4:
      return ModemLine(TIOCM_RTS, false);  // CLRRTS
    case kSetDtr:
      return ModemLine(TIOCM_DTR, true);
    case kClrDtr:
      return ModemLine(TIOCM_DTR, false);
    case 8:
      return ioctl(fd_.Get(), TIOCSBRK) == 0 ? kSuccess : LastError();  // SETBREAK
    case 9:
      return ioctl(fd_.Get(), TIOCCBRK) == 0 ? kSuccess : LastError();  // CLRBREAK
    default:
      return EINVAL;
  }
}

}  // namespace

std::unique_ptr<ComDevice> OpenPlatformDevice(const std::string& port, SysError* error) {
  if (port.empty()) {
    *error = ENOENT;
    return nullptr;
  }
  const std::string path = port.front() == '/' ? port : "/dev/" + port;
  UniqueFd fd(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!fd.Valid()) {
    *error = LastError();
    return nullptr;
  }
  termios probe;
  if (tcgetattr(fd.Get(), &probe) != 0) {  // not a terminal: no serial port
    *error = LastError();
    return nullptr;
  }
  // Exclusive use: TIOCEXCL keeps other programs out, except root; the lock keeps out root too
  // (and every other program that locks the port before using it).
  if (flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
    *error = errno == EWOULDBLOCK ? EBUSY : LastError();
    return nullptr;
  }
  if (ioctl(fd.Get(), TIOCEXCL) != 0) {
    *error = LastError();
    return nullptr;
  }
  const std::optional<serial_struct> before = RequestLowLatency(fd.Get());
  return std::make_unique<PosixComDevice>(std::move(fd), before);
}

}  // namespace orvane::serial
