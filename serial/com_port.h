// The serial port object: one serial port opened by name, its line settings, flow control,
// buffer sizes and time-outs, blocking byte I/O, DTR control, purging and the error it raises.
// Everything runs on the caller's thread; a device (serial/com_device.h) does the platform work.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "serial/com_device.h"

namespace orvane::serial {

// ---- enumerations (the order is part of the interface: ordinals are stored and compared) ----

enum TBaudRate : int {
  brCustom, br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200, br38400,
  br56000, br57600, br115200, br128000, br256000
};
enum TStopBits : int { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum TDataBits : int { dbFive, dbSix, dbSeven, dbEight };
enum TParityBits : int { prNone, prOdd, prEven, prMark, prSpace };
enum TDTRFlowControl : int { dtrDisable, dtrEnable, dtrHandshake };
enum TRTSFlowControl : int { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };
enum TFlowControl : int { fcHardware, fcSoftware, fcNone, fcCustom };
enum TSyncMethod : int { smThreadSync, smWindowSync, smNone };
enum TComEvent : int {
  evRxChar, evTxEmpty, evRxFlag, evRing, evBreak, evCTS, evDSR, evError, evRLSD, evRx80Full
};
// Line errors that the device records (TakeLineErrors).
enum TComError : int { ceFrame, ceRxParity, ceOverrun, ceBreak, ceIO, ceMode, ceRxOver, ceTxFull };

// A set of enumeration values held as a 16-bit word, bit n for ordinal n.
template <typename E>
class TSet16 {
 public:
  constexpr TSet16() = default;
  constexpr TSet16(std::initializer_list<E> members) {
    for (E member : members) Include(member);
  }
  static constexpr TSet16 FromWord(std::uint16_t word) {
    TSet16 set;
    set.word_ = word;
    return set;
  }
  constexpr std::uint16_t Word() const { return word_; }
  constexpr bool Contains(E member) const { return (word_ & Bit(member)) != 0; }
  constexpr bool Empty() const { return word_ == 0; }
  constexpr void Include(E member) { word_ = static_cast<std::uint16_t>(word_ | Bit(member)); }
  constexpr void Exclude(E member) { word_ = static_cast<std::uint16_t>(word_ & ~Bit(member)); }
  constexpr bool operator==(const TSet16&) const = default;

 private:
  static constexpr std::uint16_t Bit(E member) {
    return static_cast<std::uint16_t>(1u << static_cast<unsigned>(member));
  }
  std::uint16_t word_ = 0;
};

using TComEvents = TSet16<TComEvent>;
using TComErrors = TSet16<TComError>;
inline constexpr TComEvents kAllComEvents = TComEvents::FromWord(0x03FF);

// Bits of LineSignals().
inline constexpr std::uint32_t kLineCts = 1u << 0;
inline constexpr std::uint32_t kLineDsr = 1u << 1;
inline constexpr std::uint32_t kLineRing = 1u << 2;
inline constexpr std::uint32_t kLineRlsd = 1u << 3;

// ---- the error ----

// Numbers of the serial error messages (ErrorCode).
enum ComErrorCode : std::int32_t {
  CError_OpenFailed = 1,
  CError_WriteFailed = 2,
  CError_ReadFailed = 3,
  CError_InvalidAsync = 4,
  CError_PurgeFailed = 5,
  CError_AsyncCheck = 6,
  CError_SetStateFailed = 7,
  CError_TimeoutsFailed = 8,
  CError_SetupComFailed = 9,
  CError_ClearComFailed = 10,
  CError_ModemStatFailed = 11,
  CError_EscapeComFailed = 12,
  CError_TransmitFailed = 13,
  CError_ConnChangeProp = 14,
  CError_EnumPortsFailed = 15,
  CError_StoreFailed = 16,
  CError_LoadFailed = 17,
  CError_RegFailed = 18,
  CError_LedStateFailed = 19,
  CError_ThreadCreated = 20,
  CError_WaitFailed = 21,
  CError_HasLink = 22,
  CError_RegError = 23,
};

// The text of a message number (1 to 23); empty for any other number.
const char* ComErrorText(std::int32_t errorCode);

class EComPort : public std::runtime_error {
 public:
  static constexpr std::uint32_t kNoSystemError = 0xFFFFFFFFu;

  // With a platform error number the message ends in " (win error code: <number>)".
  EComPort(std::int32_t errorCode, std::uint32_t systemErrorCode);
  explicit EComPort(std::int32_t errorCode);  // no platform error number

  std::int32_t ErrorCode() const { return errorCode_; }
  std::uint32_t SystemErrorCode() const { return systemErrorCode_; }

 private:
  std::int32_t errorCode_;
  std::uint32_t systemErrorCode_;
};

// Where an error goes that no command catches because the port raised it while acting on its own
// (opening after being built from a stored description, event actions): the application's error
// display. Until the application installs one, the message goes to standard error.
using ErrorDisplay = std::function<void(const std::exception& error)>;
void SetErrorDisplay(ErrorDisplay display);
void ShowError(const std::exception& error);

// ---- free functions ----

// Rate in bit/s of a TBaudRate; 0 for brCustom, whose rate is the port's CustomBaudRate.
std::int32_t BaudRateToBits(TBaudRate rate);
// The text form: "Custom", "110", ... "256000".
const char* BaudRateToText(TBaudRate rate);
// The rate whose text form equals the text, letters compared without case; br9600 when none does.
// The text is not trimmed.
TBaudRate BaudRateFromText(const std::string& text);

// Replaces the list with the names of the serial ports present (and the listed virtual ports),
// sorted without regard to letter case. Windows: raises EComPort 23 when the registry's port list
// cannot be read.
void ListPorts(std::vector<std::string>& list);
// The order of ListPorts: case-insensitive text comparison (so "COM10" comes before "COM2").
void SortPortNames(std::vector<std::string>& names);

// Opens a port name: first the in-process virtual ports (exact name), then the platform.
std::unique_ptr<ComDevice> OpenDefaultDevice(const std::string& port, SysError* error);

class TCustomComPort;

// ---- settings objects ----
// Each belongs to a port (set when the port creates it) and reconfigures it when a value changes.
// A copy is detached (belongs to no port) and is what the whole-object setters of the port take.

class TComTimeouts {
 public:
  TComTimeouts() = default;
  TComTimeouts(const TComTimeouts& other);
  TComTimeouts& operator=(const TComTimeouts&) = delete;
  void Assign(const TComTimeouts& source);  // copies the values only

  std::int32_t ReadInterval() const { return readInterval_; }
  std::int32_t ReadTotalMultiplier() const { return readTotalMultiplier_; }
  std::int32_t ReadTotalConstant() const { return readTotalConstant_; }
  std::int32_t WriteTotalMultiplier() const { return writeTotalMultiplier_; }
  std::int32_t WriteTotalConstant() const { return writeTotalConstant_; }
  void SetReadInterval(std::int32_t value);
  void SetReadTotalMultiplier(std::int32_t value);
  void SetReadTotalConstant(std::int32_t value);
  void SetWriteTotalMultiplier(std::int32_t value);
  void SetWriteTotalConstant(std::int32_t value);

 private:
  friend class TCustomComPort;
  explicit TComTimeouts(TCustomComPort* port) : port_(port) {}
  void Changed();

  TCustomComPort* port_ = nullptr;
  std::int32_t readInterval_ = -1;
  std::int32_t readTotalMultiplier_ = 0;
  std::int32_t readTotalConstant_ = 0;
  std::int32_t writeTotalMultiplier_ = 100;
  std::int32_t writeTotalConstant_ = 1000;
};

class TComFlowControl {
 public:
  TComFlowControl() = default;
  TComFlowControl(const TComFlowControl& other);
  TComFlowControl& operator=(const TComFlowControl&) = delete;
  void Assign(const TComFlowControl& source);

  bool OutCTSFlow() const { return outCTSFlow_; }
  bool OutDSRFlow() const { return outDSRFlow_; }
  TDTRFlowControl ControlDTR() const { return controlDTR_; }
  TRTSFlowControl ControlRTS() const { return controlRTS_; }
  bool XonXoffOut() const { return xonXoffOut_; }
  bool XonXoffIn() const { return xonXoffIn_; }
  bool DSRSensitivity() const { return dsrSensitivity_; }
  bool TxContinueOnXoff() const { return txContinueOnXoff_; }
  char XonChar() const { return xonChar_; }
  char XoffChar() const { return xoffChar_; }
  // Derived from the fields above, never stored.
  TFlowControl FlowControl() const;

  void SetOutCTSFlow(bool value);
  void SetOutDSRFlow(bool value);
  void SetControlDTR(TDTRFlowControl value);
  void SetControlRTS(TRTSFlowControl value);
  void SetXonXoffOut(bool value);
  void SetXonXoffIn(bool value);
  void SetDSRSensitivity(bool value);
  void SetTxContinueOnXoff(bool value);
  void SetXonChar(char value);
  void SetXoffChar(char value);
  // Sets the fields that make the value (fcCustom changes none) and reconfigures the line even
  // when nothing changed.
  void SetFlowControl(TFlowControl value);

 private:
  friend class TCustomComPort;
  explicit TComFlowControl(TCustomComPort* port) : port_(port) {}
  void Changed();

  TCustomComPort* port_ = nullptr;
  bool outCTSFlow_ = false;
  bool outDSRFlow_ = false;
  TDTRFlowControl controlDTR_ = dtrDisable;
  TRTSFlowControl controlRTS_ = rtsDisable;
  bool xonXoffOut_ = false;
  bool xonXoffIn_ = false;
  bool dsrSensitivity_ = false;
  bool txContinueOnXoff_ = false;
  char xonChar_ = 17;
  char xoffChar_ = 19;
};

class TComParity {
 public:
  TComParity() = default;
  TComParity(const TComParity& other);
  TComParity& operator=(const TComParity&) = delete;
  void Assign(const TComParity& source);

  TParityBits Bits() const { return bits_; }
  bool Check() const { return check_; }
  bool Replace() const { return replace_; }
  char ReplaceChar() const { return replaceChar_; }
  void SetBits(TParityBits value);
  void SetCheck(bool value);
  void SetReplace(bool value);
  void SetReplaceChar(char value);

 private:
  friend class TCustomComPort;
  explicit TComParity(TCustomComPort* port) : port_(port) {}
  void Changed();

  TCustomComPort* port_ = nullptr;
  TParityBits bits_ = prNone;
  bool check_ = false;
  bool replace_ = false;
  char replaceChar_ = 0;
};

class TComBuffer {
 public:
  TComBuffer() = default;
  TComBuffer(const TComBuffer& other);
  TComBuffer& operator=(const TComBuffer&) = delete;
  void Assign(const TComBuffer& source);

  std::int32_t InputSize() const { return inputSize_; }
  std::int32_t OutputSize() const { return outputSize_; }
  // An odd positive size is stored one smaller (devices want even sizes); negatives stay.
  void SetInputSize(std::int32_t value);
  void SetOutputSize(std::int32_t value);

 private:
  friend class TCustomComPort;
  explicit TComBuffer(TCustomComPort* port) : port_(port) {}
  void Changed();

  TCustomComPort* port_ = nullptr;
  std::int32_t inputSize_ = 1024;
  std::int32_t outputSize_ = 1024;
};

// ---- handler types ----

using TNotifyEvent = std::function<void(TCustomComPort& sender)>;
using TRxCharEvent = std::function<void(TCustomComPort& sender, std::int32_t count)>;
using TRxBufEvent =
    std::function<void(TCustomComPort& sender, const void* buffer, std::int32_t count)>;
using TComSignalEvent = std::function<void(TCustomComPort& sender, bool on)>;
using TComErrorEvent = std::function<void(TCustomComPort& sender, TComErrors errors)>;

class TComThread;  // the event thread, which runs while a port is open with events to wait for

// ---- the port ----

class TCustomComPort {
 public:
  // The default device opener: virtual ports first, then the platform (OpenDefaultDevice).
  TCustomComPort();
  // A port whose devices come from the given opener (tests inject a scripted device).
  explicit TCustomComPort(DeviceOpener opener);
  TCustomComPort(const TCustomComPort&) = delete;
  TCustomComPort& operator=(const TCustomComPort&) = delete;
  // Closes the port first; an error from that close is shown, not thrown.
  virtual ~TCustomComPort();

  // -- operations (all raise EComPort on failure) --
  void Open();   // does nothing when already connected
  void Close();  // does nothing when not connected
  // Count transferred; fewer than asked when the time-out ran out (not an error).
  std::int32_t Write(const void* buffer, std::int32_t count);
  std::int32_t Read(void* buffer, std::int32_t count);
  void SetDTR(bool on);
  void PurgeBuffers(bool input, bool output);
  std::int32_t PendingInputCount();
  std::uint32_t LineSignals();  // kLineCts | kLineDsr | kLineRing | kLineRlsd
  TComErrors TakeLineErrors();  // and clears them

  // -- settings --
  bool Connected() const { return connected_; }
  void SetConnected(bool value);
  TBaudRate BaudRate() const { return baudRate_; }
  void SetBaudRate(TBaudRate value);
  std::int32_t CustomBaudRate() const { return customBaudRate_; }
  void SetCustomBaudRate(std::int32_t value);
  const std::string& Port() const { return port_; }
  void SetPort(const std::string& value);  // while open: close, then open the new name
  TStopBits StopBits() const { return stopBits_; }
  void SetStopBits(TStopBits value);
  TDataBits DataBits() const { return dataBits_; }
  void SetDataBits(TDataBits value);
  bool DiscardNull() const { return discardNull_; }
  void SetDiscardNull(bool value);
  char EventChar() const { return eventChar_; }
  void SetEventChar(char value);
  TComEvents Events() const { return events_; }
  void SetEvents(TComEvents value);  // takes effect at the next Open
  TSyncMethod SyncMethod() const { return syncMethod_; }
  void SetSyncMethod(TSyncMethod value);  // EComPort 14 while connected

  TComParity& Parity() { return parity_; }
  const TComParity& Parity() const { return parity_; }
  void SetParity(const TComParity& value);
  TComFlowControl& FlowControl() { return flowControl_; }
  const TComFlowControl& FlowControl() const { return flowControl_; }
  void SetFlowControl(const TComFlowControl& value);
  TComTimeouts& Timeouts() { return timeouts_; }
  const TComTimeouts& Timeouts() const { return timeouts_; }
  void SetTimeouts(const TComTimeouts& value);
  TComBuffer& Buffer() { return buffer_; }
  const TComBuffer& Buffer() const { return buffer_; }
  void SetBuffer(const TComBuffer& value);

  // -- being built from a stored description --
  // Between BeginLoading and Loaded the setters only store their values and no device is
  // touched. Loaded ends it and opens the port when Connected was stored true (an error from that
  // Open goes to ShowError).
  void BeginLoading() { loading_ = true; }
  virtual void Loaded();
  bool Loading() const { return loading_; }

  // -- handlers (none assigned by the downloader itself) --
  TNotifyEvent OnAfterOpen;
  TNotifyEvent OnAfterClose;
  TNotifyEvent OnBeforeOpen;
  TNotifyEvent OnBeforeClose;
  TRxCharEvent OnRxChar;
  TRxBufEvent OnRxBuf;
  TNotifyEvent OnTxEmpty;
  TNotifyEvent OnBreak;
  TNotifyEvent OnRing;
  TComSignalEvent OnCTSChange;
  TComSignalEvent OnDSRChange;
  TComSignalEvent OnRLSDChange;
  TComErrorEvent OnError;
  TNotifyEvent OnRxFlag;
  TNotifyEvent OnRx80Full;

  void SetDeviceOpener(DeviceOpener opener) { opener_ = std::move(opener); }

 protected:
  virtual void OpenDevice();   // EComPort 1 when the device cannot be opened
  virtual void CloseDevice();  // releases the device, if any
  virtual void ConfigureAll();  // buffers, line, time-outs

  // The per-event actions call these; each calls its handler when one is assigned.
  virtual void DoAfterClose();
  virtual void DoAfterOpen();
  virtual void DoBeforeClose();
  virtual void DoBeforeOpen();
  virtual void DoRxChar(std::int32_t count);
  virtual void DoRxBuf(const void* buffer, std::int32_t count);
  virtual void DoTxEmpty();
  virtual void DoBreak();
  virtual void DoRing();
  virtual void DoRxFlag();
  virtual void DoCTSChange(bool on);
  virtual void DoDSRChange(bool on);
  virtual void DoError(TComErrors errors);
  virtual void DoRLSDChange(bool on);
  virtual void DoRx80Full();

  // Each acts only while connected and not being built from a stored description.
  virtual void ConfigureLine();      // SetCommState; EComPort 7
  virtual void ConfigureTimeouts();  // SetCommTimeouts; EComPort 8
  virtual void ConfigureBuffers();   // SetupComm; EComPort 9

  // The line record and time-out record that the settings make.
  Dcb BuildDcb() const;
  CommTimeouts BuildCommTimeouts() const;

  // The open device (null while closed), for the event thread.
  ComDevice* Device() const { return device_.get(); }

 private:
  friend class TComThread;
  friend class TComTimeouts;
  friend class TComFlowControl;
  friend class TComParity;
  friend class TComBuffer;

  bool Configurable() const { return connected_ && !loading_ && device_ != nullptr; }
  void StartEventThread();
  void StopEventThread();

  DeviceOpener opener_;
  std::unique_ptr<ComDevice> device_;
  bool threadCreated_ = false;  // an event thread was started by the last Open
  bool loading_ = false;

  bool connected_ = false;
  TBaudRate baudRate_ = br9600;
  std::int32_t customBaudRate_ = 9600;
  std::string port_ = "COM1";
  TStopBits stopBits_ = sbOneStopBit;
  TDataBits dataBits_ = dbEight;
  bool discardNull_ = false;
  char eventChar_ = 0;
  TComEvents events_ = kAllComEvents;
  TComBuffer buffer_{this};
  TComParity parity_{this};
  TComTimeouts timeouts_{this};
  TComFlowControl flowControl_{this};
  TSyncMethod syncMethod_ = smThreadSync;
};

// The port with its settings public (all of them already are on the base).
class TComPort : public TCustomComPort {
 public:
  using TCustomComPort::TCustomComPort;
};

}  // namespace orvane::serial
