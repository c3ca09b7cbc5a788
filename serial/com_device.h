// The platform layer under the serial port object: one open serial device and the calls the port
// object makes on it. Each call mirrors one call of the Win32 communications interface, so the port
// object's behaviour is written once; the Win32, POSIX, virtual-board and scripted devices map
// them onto what they have.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace orvane::serial {

// A platform error number (GetLastError on Windows, errno elsewhere); 0 means success.
using SysError = std::uint32_t;
inline constexpr SysError kSuccess = 0;

// The line configuration record, field by field as the Win32 DCB.
struct Dcb {
  std::uint32_t DCBlength = 28;
  std::uint32_t BaudRate = 0;
  std::uint32_t Flags = 0;  // fBinary bit 0 ... fAbortOnError bit 14
  std::uint16_t wReserved = 0;
  std::uint16_t XonLim = 0;
  std::uint16_t XoffLim = 0;
  std::uint8_t ByteSize = 8;
  std::uint8_t Parity = 0;
  std::uint8_t StopBits = 0;
  char XonChar = 0;
  char XoffChar = 0;
  char ErrorChar = 0;
  char EofChar = 0;
  char EvtChar = 0;
  std::uint16_t wReserved1 = 0;
};

// Bits of Dcb::Flags.
namespace dcb_flags {
inline constexpr std::uint32_t kBinary = 1u << 0;
inline constexpr std::uint32_t kParity = 1u << 1;
inline constexpr std::uint32_t kOutxCtsFlow = 1u << 2;
inline constexpr std::uint32_t kOutxDsrFlow = 1u << 3;
inline constexpr int kDtrControlShift = 4;  // two bits
inline constexpr std::uint32_t kDsrSensitivity = 1u << 6;
inline constexpr std::uint32_t kTxContinueOnXoff = 1u << 7;
inline constexpr std::uint32_t kOutX = 1u << 8;
inline constexpr std::uint32_t kInX = 1u << 9;
inline constexpr std::uint32_t kErrorChar = 1u << 10;
inline constexpr std::uint32_t kNull = 1u << 11;
inline constexpr int kRtsControlShift = 12;  // two bits
}  // namespace dcb_flags

// The time-out record, as the Win32 COMMTIMEOUTS (0xFFFFFFFF has the platform's special meaning).
struct CommTimeouts {
  std::uint32_t ReadIntervalTimeout = 0;
  std::uint32_t ReadTotalTimeoutMultiplier = 0;
  std::uint32_t ReadTotalTimeoutConstant = 0;
  std::uint32_t WriteTotalTimeoutMultiplier = 0;
  std::uint32_t WriteTotalTimeoutConstant = 0;
};

// PurgeComm flags.
inline constexpr std::uint32_t kPurgeTxAbort = 0x0001;
inline constexpr std::uint32_t kPurgeRxAbort = 0x0002;
inline constexpr std::uint32_t kPurgeTxClear = 0x0004;
inline constexpr std::uint32_t kPurgeRxClear = 0x0008;

// EscapeCommFunction functions.
inline constexpr std::uint32_t kSetDtr = 5;
inline constexpr std::uint32_t kClrDtr = 6;

// GetCommModemStatus bits.
inline constexpr std::uint32_t kMsCtsOn = 0x0010;
inline constexpr std::uint32_t kMsDsrOn = 0x0020;
inline constexpr std::uint32_t kMsRingOn = 0x0040;
inline constexpr std::uint32_t kMsRlsdOn = 0x0080;

// ClearCommError error flags.
inline constexpr std::uint32_t kCeRxOver = 0x0001;
inline constexpr std::uint32_t kCeOverrun = 0x0002;
inline constexpr std::uint32_t kCeRxParity = 0x0004;
inline constexpr std::uint32_t kCeFrame = 0x0008;
inline constexpr std::uint32_t kCeBreak = 0x0010;
inline constexpr std::uint32_t kCeTxFull = 0x0100;
inline constexpr std::uint32_t kCeIoe = 0x0400;
inline constexpr std::uint32_t kCeMode = 0x8000;

// SetCommMask / WaitCommEvent event bits.
inline constexpr std::uint32_t kEvRxChar = 0x0001;
inline constexpr std::uint32_t kEvRxFlag = 0x0002;
inline constexpr std::uint32_t kEvTxEmpty = 0x0004;
inline constexpr std::uint32_t kEvCts = 0x0008;
inline constexpr std::uint32_t kEvDsr = 0x0010;
inline constexpr std::uint32_t kEvRlsd = 0x0020;
inline constexpr std::uint32_t kEvBreak = 0x0040;
inline constexpr std::uint32_t kEvErr = 0x0080;
inline constexpr std::uint32_t kEvRing = 0x0100;
inline constexpr std::uint32_t kEvRx80Full = 0x0400;

// One wait for line events on an open device, owned by the port's event thread. It holds the
// thread's stop signal, so that Stop, from any thread, ends a wait in progress.
class ComEventWait {
 public:
  enum class Result {
    kEvents,   // *events holds the event bits that occurred
    kNothing,  // the wait ended without events (a failed completion, or a back-off after the
               // device refused to wait): the thread waits again
    kStopped,  // Stop was called
    kFailed,   // the wait itself failed: the thread ends
  };
  virtual ~ComEventWait() = default;
  // Waits for an event of the device's event mask, or for Stop. Never consumes received data, and
  // never returns kNothing without having waited a while, so a loop around it cannot spin.
  virtual Result Wait(std::uint32_t* events) = 0;
  // Any thread: the current Wait and every later one return kStopped.
  virtual void Stop() = 0;
};

// The outcome of one started-and-completed transfer.
struct IoResult {
  SysError error = kSuccess;     // of the start or of the completion
  std::int32_t transferred = 0;  // bytes moved before completion or time-out
};

class ComDevice {
 public:
  virtual ~ComDevice() = default;

  virtual SysError Setup(std::int32_t inputSize, std::int32_t outputSize) = 0;  // SetupComm
  virtual SysError SetState(const Dcb& dcb) = 0;                                // SetCommState
  virtual SysError SetTimeouts(const CommTimeouts& timeouts) = 0;               // SetCommTimeouts

  // WriteFile/ReadFile with their completion: returns when the transfer is complete or its
  // time-out (the last SetTimeouts) has run out. Never waits without a bound.
  virtual IoResult Write(const std::uint8_t* data, std::int32_t count) = 0;
  virtual IoResult Read(std::uint8_t* data, std::int32_t count) = 0;

  virtual SysError Purge(std::uint32_t flags) = 0;      // PurgeComm
  virtual SysError Escape(std::uint32_t function) = 0;  // EscapeCommFunction
  // ClearCommError: the recorded line errors (cleared by the call) and the input-queue count.
  virtual SysError ClearError(std::uint32_t* errors, std::uint32_t* inputQueue) = 0;
  // The same without the input-queue count, for the port's Read, which only clears the errors:
  // a device whose count costs a system call of its own leaves it out.
  virtual SysError ClearLineErrors(std::uint32_t* errors) {
    std::uint32_t queued = 0;
    return ClearError(errors, &queued);
  }
  virtual SysError ModemStatus(std::uint32_t* status) = 0;  // GetCommModemStatus

  // SetCommMask: the events that waits report (0: none). The default suits a device without
  // line events, whose waits report none.
  virtual SysError SetEventMask(std::uint32_t) { return kSuccess; }
  // A wait for the events of the mask (WaitCommEvent with its stop signal); by default one that
  // reports nothing and only waits for Stop.
  virtual std::unique_ptr<ComEventWait> NewEventWait();
};

// A wait that reports no events and ends only when stopped: for devices without line events.
std::unique_ptr<ComEventWait> NewStopOnlyWait();

// Opens the device of a port name; on failure returns null and sets *error.
using DeviceOpener =
    std::function<std::unique_ptr<ComDevice>(const std::string& port, SysError* error)>;

// The platform's own devices (com_device_win32.cpp, com_device_posix.cpp).
// Opens a port name with exclusive access; on failure returns null and sets *error.
//   Windows: "\\.\" followed by the name. POSIX: a device path; a bare name such as "ttyUSB0"
//   means "/dev/ttyUSB0".
std::unique_ptr<ComDevice> OpenPlatformDevice(const std::string& port, SysError* error);
// The numbers the platform gives for a call on a device that is not open, and for a bad argument.
SysError InvalidHandleError();
SysError InvalidParameterError();
// The numbers the platform gives for a port that does not exist, one that another program holds,
// and a device gone from under its open handle (a USB converter pulled out). Devices that stand in
// for the platform's (the virtual board) report these, so messages and hints read the same.
SysError PortAbsentError();  // ERROR_FILE_NOT_FOUND; ENOENT
SysError PortHeldError();    // ERROR_ACCESS_DENIED; EBUSY
SysError DeviceGoneError();  // ERROR_BAD_COMMAND; EIO

}  // namespace orvane::serial
