// Serial devices over the Win32 communications interface, opened for overlapped I/O.
#include "serial/com_device.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "serial/ascii.h"
#include "serial/com_event_wait_win32.h"
#include "serial/comm_timeouts.h"
#include "serial/unique_handle_win32.h"

namespace orvane::serial {
namespace {

SysError LastError() { return static_cast<SysError>(GetLastError()); }

// The device's own time-outs end a transfer. The wait for its completion is bounded all the same,
// a little beyond them: Wine never completes an overlapped read with the "first byte or time-out"
// setting when nothing arrives, and a driver that ignores time-outs must not freeze the program.
// After the bound the transfer is cancelled and what arrived is kept.
constexpr DWORD kCompletionMarginMs = 50;
constexpr DWORD kCancelWaitMs = 1000;

DWORD CompletionBound(std::uint32_t transferMs) {
  const std::uint64_t bound = static_cast<std::uint64_t>(transferMs) + kCompletionMarginMs;
  return static_cast<DWORD>(std::min<std::uint64_t>(bound, INFINITE - 1));
}

class Win32ComDevice final : public ComDevice {
 public:
  Win32ComDevice(UniqueHandle handle, UniqueHandle claim)
      : handle_(std::move(handle)), claim_(std::move(claim)) {}

  SysError Setup(std::int32_t inputSize, std::int32_t outputSize) override {
    return SetupComm(handle_.Get(), static_cast<DWORD>(inputSize), static_cast<DWORD>(outputSize))
               ? kSuccess
               : LastError();
  }

  SysError SetState(const Dcb& source) override {
    using namespace dcb_flags;
    DCB dcb{};
    dcb.DCBlength = source.DCBlength;
    dcb.BaudRate = source.BaudRate;
    const std::uint32_t f = source.Flags;
    dcb.fBinary = (f & kBinary) != 0;
    dcb.fParity = (f & kParity) != 0;
    dcb.fOutxCtsFlow = (f & kOutxCtsFlow) != 0;
    dcb.fOutxDsrFlow = (f & kOutxDsrFlow) != 0;
    dcb.fDtrControl = (f >> kDtrControlShift) & 3u;
    dcb.fDsrSensitivity = (f & kDsrSensitivity) != 0;
    dcb.fTXContinueOnXoff = (f & kTxContinueOnXoff) != 0;
    dcb.fOutX = (f & kOutX) != 0;
    dcb.fInX = (f & kInX) != 0;
    dcb.fErrorChar = (f & kErrorChar) != 0;
    dcb.fNull = (f & kNull) != 0;
    dcb.fRtsControl = (f >> kRtsControlShift) & 3u;
    dcb.fAbortOnError = (f >> 14) & 1u;
    dcb.wReserved = source.wReserved;
    dcb.XonLim = source.XonLim;
    dcb.XoffLim = source.XoffLim;
    dcb.ByteSize = source.ByteSize;
    dcb.Parity = source.Parity;
    dcb.StopBits = source.StopBits;
    dcb.XonChar = source.XonChar;
    dcb.XoffChar = source.XoffChar;
    dcb.ErrorChar = source.ErrorChar;
    dcb.EofChar = source.EofChar;
    dcb.EvtChar = source.EvtChar;
    dcb.wReserved1 = source.wReserved1;
    return SetCommState(handle_.Get(), &dcb) ? kSuccess : LastError();
  }

  SysError SetTimeouts(const CommTimeouts& timeouts) override {
    COMMTIMEOUTS record{};
    record.ReadIntervalTimeout = timeouts.ReadIntervalTimeout;
    record.ReadTotalTimeoutMultiplier = timeouts.ReadTotalTimeoutMultiplier;
    record.ReadTotalTimeoutConstant = timeouts.ReadTotalTimeoutConstant;
    record.WriteTotalTimeoutMultiplier = timeouts.WriteTotalTimeoutMultiplier;
    record.WriteTotalTimeoutConstant = timeouts.WriteTotalTimeoutConstant;
    if (!SetCommTimeouts(handle_.Get(), &record)) return LastError();
    timeouts_ = timeouts;
    return kSuccess;
  }

  IoResult Write(const std::uint8_t* data, std::int32_t count) override {
    return Transfer(false, nullptr, data, count, WriteLimitMs(timeouts_, count));
  }

  IoResult Read(std::uint8_t* data, std::int32_t count) override {
    const ReadRule rule = ReadRuleOf(timeouts_, count);
    const std::uint32_t limitMs = rule.kind == ReadRule::kAvailableOnly ? 0 : rule.totalMs;
    if (rule.kind != ReadRule::kFirstByte || count <= 1) {
      return Transfer(true, data, nullptr, count, limitMs);
    }
    // "First byte, then what has arrived": Wine completes such a read only when the whole count
    // has arrived, so ask for the first byte alone and then for what waits behind it. Windows
    // gives the same result either way.
    IoResult result = Transfer(true, data, nullptr, 1, limitMs);
    if (result.error != kSuccess || result.transferred == 0) return result;
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(handle_.Get(), &errors, &status)) return result;  // the byte is kept
    const std::int32_t waiting =
        static_cast<std::int32_t>(std::min<DWORD>(status.cbInQue, static_cast<DWORD>(count - 1)));
    if (waiting > 0) {
      const IoResult more = Transfer(true, data + 1, nullptr, waiting, limitMs);
      result.transferred += more.transferred;
    }
    return result;
  }

  SysError Purge(std::uint32_t flags) override {
    return PurgeComm(handle_.Get(), flags) ? kSuccess : LastError();
  }

  SysError Escape(std::uint32_t function) override {
    return EscapeCommFunction(handle_.Get(), function) ? kSuccess : LastError();
  }

  SysError ClearError(std::uint32_t* errors, std::uint32_t* inputQueue) override {
    DWORD flags = 0;
    COMSTAT status{};
    if (!ClearCommError(handle_.Get(), &flags, &status)) return LastError();
    *errors = flags;
    *inputQueue = status.cbInQue;
    return kSuccess;
  }

  SysError ModemStatus(std::uint32_t* status) override {
    DWORD lines = 0;
    if (!GetCommModemStatus(handle_.Get(), &lines)) return LastError();
    *status = lines;
    return kSuccess;
  }

  SysError SetEventMask(std::uint32_t mask) override {
    return SetCommMask(handle_.Get(), mask) ? kSuccess : LastError();
  }

  std::unique_ptr<ComEventWait> NewEventWait() override { return NewWin32EventWait(handle_.Get()); }

 private:
  // One overlapped WriteFile or ReadFile and its completion. Each transfer has its own record and
  // its own manual-reset event, created signalled, released on every path.
  IoResult Transfer(bool read, std::uint8_t* readInto, const std::uint8_t* writeFrom,
                    std::int32_t count, std::uint32_t limitMs) {
    IoResult result;
    UniqueHandle event(CreateEventA(nullptr, TRUE, TRUE, nullptr));
    if (!event.Valid()) {
      result.error = LastError();
      return result;
    }
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.Get();
    DWORD started = 0;
    const BOOL done =
        read
            ? ReadFile(handle_.Get(), readInto, static_cast<DWORD>(count), &started, &overlapped)
            : WriteFile(handle_.Get(), writeFrom, static_cast<DWORD>(count), &started, &overlapped);
    if (!done && GetLastError() != ERROR_IO_PENDING) {
      result.error = LastError();
      return result;
    }
    const DWORD waited = WaitForSingleObject(event.Get(), CompletionBound(limitMs));
    const SysError waitError = waited == WAIT_FAILED ? LastError() : kSuccess;
    if (waited != WAIT_OBJECT_0) {
      CancelIo(handle_.Get());
      // A cancelled transfer completes at once. The record and the caller's buffer must outlive
      // the transfer, so a driver that ignored the cancel too would still be waited for.
      if (WaitForSingleObject(event.Get(), kCancelWaitMs) != WAIT_OBJECT_0) {
        WaitForSingleObject(event.Get(), INFINITE);
      }
    }
    DWORD transferred = 0;
    if (!GetOverlappedResult(handle_.Get(), &overlapped, &transferred, FALSE)) {
      const DWORD error = GetLastError();
      // A cancelled transfer ran out of time: keep what moved, as a time-out would. Wine
      // completes a read whose interval and total time-outs ran out with ERROR_TIMEOUT, where
      // Windows completes it successfully with what arrived.
      if (error != ERROR_OPERATION_ABORTED && error != ERROR_TIMEOUT) result.error = error;
    }
    if (waitError != kSuccess) result.error = waitError;
    result.transferred = static_cast<std::int32_t>(transferred);
    return result;
  }

  UniqueHandle handle_;
  UniqueHandle claim_;  // the named mutex that marks the port as ours
  CommTimeouts timeouts_{};
};

}  // namespace

std::unique_ptr<ComDevice> OpenPlatformDevice(const std::string& port, SysError* error) {
  // The device namespace prefix reaches every port, COM10 and above included.
  const std::string path = "\\\\.\\" + port;
  UniqueHandle handle(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
  if (!handle.Valid()) {
    *error = LastError();
    return nullptr;
  }
  // Windows' serial drivers refuse a second open, but Wine lets any number of programs open the
  // same device, and two programs talking to one board garble each other's bytes. A named claim
  // keeps every user of this serial layer out of a port that another one holds, as the driver
  // would (port names are the same in any letter case).
  std::string claimName = "Local\\OrvaneSerialPort:";
  for (char c : port) {
    c = UpperAscii(c);
    claimName += c == '\\' ? '/' : c;  // a kernel object name has no folders
  }
  UniqueHandle claim(CreateMutexA(nullptr, FALSE, claimName.c_str()));
  if (!claim.Valid() || GetLastError() == ERROR_ALREADY_EXISTS) {
    *error = claim.Valid() ? ERROR_ACCESS_DENIED : LastError();
    return nullptr;
  }
  return std::make_unique<Win32ComDevice>(std::move(handle), std::move(claim));
}

}  // namespace orvane::serial
