// The serial port object: one serial port opened by name, its line settings, flow control,
// buffer sizes and time-outs, blocking byte I/O, DTR control, purging and the error it raises.
// Everything runs on the caller's thread; a device (serial/com_device.h) does the platform work.
// This header brings in the port's types, error, rate table, settings objects and port list, so
// that users of the port need only it.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "serial/baud_rates.h"
#include "serial/com_device.h"
#include "serial/com_error.h"
#include "serial/com_settings.h"
#include "serial/com_types.h"
#include "serial/port_list.h"
#include "serial/virtual_ports.h"

namespace orvane::serial {

// ---- handler types ----

using TNotifyEvent = std::function<void(TCustomComPort& sender)>;
using TRxCharEvent = std::function<void(TCustomComPort& sender, std::int32_t count)>;
using TRxBufEvent =
    std::function<void(TCustomComPort& sender, const void* buffer, std::int32_t count)>;
using TComSignalEvent = std::function<void(TCustomComPort& sender, bool on)>;
using TComErrorEvent = std::function<void(TCustomComPort& sender, TComErrors errors)>;

class TComThread;   // the event thread, which runs while a port is open with events to wait for
class EventWindow;  // the hidden window of smWindowSync

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
  // When the device fails Write, Read, SetDTR or PurgeBuffers, the port releases it and is closed
  // before the error is raised, so the next Open opens the device anew.
  std::int32_t Write(const void* buffer, std::int32_t count);
  std::int32_t Read(void* buffer, std::int32_t count);
  void SetDTR(bool on);
  void PurgeBuffers(bool input, bool output);
  std::int32_t PendingInputCount();
  std::uint32_t LineSignals();  // kLineCts | kLineDsr | kLineRing | kLineRlsd
  TComErrors TakeLineErrors();  // and clears them

  // -- the event thread (serial/com_thread.h) --
  // The actions of one batch of events, in their fixed order, until `ended` (an action closed
  // the port); and the one action of an event's mask bit (other values do nothing).
  void RunEventHandlers(TComEvents events, const std::function<bool()>& ended);
  void RunEventAction(std::uint32_t maskBit);
  // An event thread runs (started by Open, not yet ended).
  bool EventThreadRunning() const;
  // The error that ended the event thread, if an action raised one; null otherwise.
  std::exception_ptr EventThreadFailure() const;

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
  virtual void OpenDevice();    // EComPort 1 when the device cannot be opened
  virtual void CloseDevice();   // releases the device, if any
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
  // A device call that failed on the open device: the device is released and the port closed,
  // then EComPort of that code is raised.
  [[noreturn]] void FailAndRelease(std::int32_t code, SysError error);

  DeviceOpener opener_;
  std::unique_ptr<ComDevice> device_;
  // The window is made before the thread and goes after it; both go before the device.
  std::unique_ptr<EventWindow> eventWindow_;
  std::unique_ptr<TComThread> eventThread_;
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
