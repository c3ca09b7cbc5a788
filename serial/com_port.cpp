#include "serial/com_port.h"

#include <utility>

#include "serial/com_thread.h"
#include "serial/event_window.h"

namespace orvane::serial {

// ---- the port ----

TCustomComPort::TCustomComPort() : TCustomComPort(DeviceOpener(OpenDefaultDevice)) {}

TCustomComPort::TCustomComPort(DeviceOpener opener) : opener_(std::move(opener)) {}

TCustomComPort::~TCustomComPort() {
  try {
    Close();
  } catch (const std::exception& error) {
    ShowError(error);
  }
  // A device that could not be closed cleanly is released all the same.
  StopEventThread();
  device_.reset();
}

void TCustomComPort::Open() {
  if (connected_) return;
  DoBeforeOpen();
  OpenDevice();
  connected_ = true;
  try {
    ConfigureAll();
  } catch (...) {
    CloseDevice();
    connected_ = false;
    throw;
  }
  if (events_.Empty()) {
    threadCreated_ = false;
  } else {
    StartEventThread();  // with smWindowSync, the hidden window first
  }
  DoAfterOpen();
  // Handlers learn the state of the three input lines at once, each read afresh.
  const bool cts = (LineSignals() & kLineCts) != 0;
  DoCTSChange(cts);
  const bool dsr = (LineSignals() & kLineDsr) != 0;
  DoDSRChange(dsr);
  const bool rlsd = (LineSignals() & kLineRlsd) != 0;
  DoRLSDChange(rlsd);
}

void TCustomComPort::Close() {
  if (!connected_) return;
  // The lines are reported off without asking the device.
  DoCTSChange(false);
  DoDSRChange(false);
  DoRLSDChange(false);
  DoBeforeClose();
  // Abort what is pending before the event thread stops, so it never waits on a closed device.
  // (A port marked connected while being built has no device and nothing to abort.)
  if (device_) {
    if (const SysError error = device_->Purge(kPurgeTxAbort | kPurgeRxAbort)) {
      throw EComPort(CError_PurgeFailed, error);
    }
  }
  if (threadCreated_) {
    StopEventThread();
    threadCreated_ = false;
  }
  CloseDevice();
  connected_ = false;
  DoAfterClose();
}

// A transfer or line call that fails on an open device means the device is gone or broken (a USB
// converter pulled out, a pseudo-terminal whose other side closed): every later call on it fails
// too, and while the port stays "connected" to it the next Open does nothing and the next command
// fails at once. So the device is let go, and the port closed, before the error is raised; the
// next command opens the port anew. Nothing is asked of the dead device on the way out.
void TCustomComPort::FailAndRelease(std::int32_t code, SysError error) {
  if (threadCreated_) {
    StopEventThread();
    threadCreated_ = false;
  }
  CloseDevice();
  connected_ = false;
  throw EComPort(code, error);
}

void TCustomComPort::OpenDevice() {
  SysError error = kSuccess;
  std::unique_ptr<ComDevice> device = opener_ ? opener_(port_, &error) : nullptr;
  if (!device) {
    throw EComPort(CError_OpenFailed, error != kSuccess ? error : InvalidHandleError());
  }
  device_ = std::move(device);
}

void TCustomComPort::CloseDevice() { device_.reset(); }

void TCustomComPort::ConfigureAll() {
  ConfigureBuffers();
  ConfigureLine();
  ConfigureTimeouts();
}

void TCustomComPort::ConfigureBuffers() {
  if (!Configurable()) return;
  if (const SysError error = device_->Setup(buffer_.InputSize(), buffer_.OutputSize())) {
    throw EComPort(CError_SetupComFailed, error);
  }
}

void TCustomComPort::ConfigureLine() {
  if (!Configurable()) return;
  if (const SysError error = device_->SetState(BuildDcb())) {
    throw EComPort(CError_SetStateFailed, error);
  }
}

void TCustomComPort::ConfigureTimeouts() {
  if (!Configurable()) return;
  if (const SysError error = device_->SetTimeouts(BuildCommTimeouts())) {
    throw EComPort(CError_TimeoutsFailed, error);
  }
}

Dcb TCustomComPort::BuildDcb() const {
  using namespace dcb_flags;
  Dcb dcb;
  dcb.DCBlength = 28;
  dcb.BaudRate = static_cast<std::uint32_t>(baudRate_ == brCustom ? customBaudRate_
                                                                  : BaudRateToBits(baudRate_));
  std::uint32_t flags = kBinary;
  if (parity_.Check()) flags |= kParity;
  if (flowControl_.OutCTSFlow()) flags |= kOutxCtsFlow;
  if (flowControl_.OutDSRFlow()) flags |= kOutxDsrFlow;
  flags |= (static_cast<std::uint32_t>(flowControl_.ControlDTR()) & 3u) << kDtrControlShift;
  if (flowControl_.DSRSensitivity()) flags |= kDsrSensitivity;
  if (flowControl_.TxContinueOnXoff()) flags |= kTxContinueOnXoff;
  if (flowControl_.XonXoffOut()) flags |= kOutX;
  if (flowControl_.XonXoffIn()) flags |= kInX;
  const bool replace = parity_.Check() && parity_.Replace();
  if (replace) flags |= kErrorChar;
  if (discardNull_) flags |= kNull;
  flags |= (static_cast<std::uint32_t>(flowControl_.ControlRTS()) & 3u) << kRtsControlShift;
  dcb.Flags = flags;
  dcb.wReserved = 0;
  dcb.XonLim = static_cast<std::uint16_t>(buffer_.InputSize() / 4);
  dcb.XoffLim = dcb.XonLim;
  dcb.ByteSize = static_cast<std::uint8_t>(5 + static_cast<int>(dataBits_));
  dcb.Parity = static_cast<std::uint8_t>(parity_.Bits());
  dcb.StopBits = static_cast<std::uint8_t>(stopBits_);
  dcb.XonChar = flowControl_.XonChar();
  dcb.XoffChar = flowControl_.XoffChar();
  dcb.ErrorChar = replace ? parity_.ReplaceChar() : 0;
  dcb.EofChar = 0;
  dcb.EvtChar = eventChar_;
  dcb.wReserved1 = 0;
  return dcb;
}

CommTimeouts TCustomComPort::BuildCommTimeouts() const {
  CommTimeouts record;
  record.ReadIntervalTimeout = static_cast<std::uint32_t>(timeouts_.ReadInterval());
  record.ReadTotalTimeoutMultiplier = static_cast<std::uint32_t>(timeouts_.ReadTotalMultiplier());
  record.ReadTotalTimeoutConstant = static_cast<std::uint32_t>(timeouts_.ReadTotalConstant());
  record.WriteTotalTimeoutMultiplier = static_cast<std::uint32_t>(timeouts_.WriteTotalMultiplier());
  record.WriteTotalTimeoutConstant = static_cast<std::uint32_t>(timeouts_.WriteTotalConstant());
  return record;
}

std::int32_t TCustomComPort::Write(const void* buffer, std::int32_t count) {
  if (!device_) throw EComPort(CError_WriteFailed, InvalidHandleError());
  if (count < 0 || (count > 0 && buffer == nullptr)) {
    throw EComPort(CError_WriteFailed, InvalidParameterError());
  }
  const IoResult result = device_->Write(static_cast<const std::uint8_t*>(buffer), count);
  if (result.error != kSuccess) FailAndRelease(CError_WriteFailed, result.error);
  return result.transferred;
}

std::int32_t TCustomComPort::Read(void* buffer, std::int32_t count) {
  if (!device_) throw EComPort(CError_ReadFailed, InvalidHandleError());
  if (count < 0 || (count > 0 && buffer == nullptr)) {
    throw EComPort(CError_ReadFailed, InvalidParameterError());
  }
  const IoResult result = device_->Read(static_cast<std::uint8_t*>(buffer), count);
  if (result.error != kSuccess) FailAndRelease(CError_ReadFailed, result.error);
  // The line errors are cleared after every read; the queue count is of no use here.
  std::uint32_t errors = 0;
  if (const SysError error = device_->ClearLineErrors(&errors)) {
    FailAndRelease(CError_ClearComFailed, error);
  }
  return result.transferred;
}

void TCustomComPort::SetDTR(bool on) {
  if (!device_) throw EComPort(CError_EscapeComFailed, InvalidHandleError());
  if (const SysError error = device_->Escape(on ? kSetDtr : kClrDtr)) {
    FailAndRelease(CError_EscapeComFailed, error);
  }
}

void TCustomComPort::PurgeBuffers(bool input, bool output) {
  std::uint32_t flags = 0;
  if (input) flags |= kPurgeRxClear;
  if (output) flags |= kPurgeTxClear;
  if (!device_) throw EComPort(CError_PurgeFailed, InvalidHandleError());
  if (const SysError error = device_->Purge(flags)) FailAndRelease(CError_PurgeFailed, error);
}

std::int32_t TCustomComPort::PendingInputCount() {
  std::uint32_t errors = 0;
  std::uint32_t queued = 0;
  const SysError error = device_ ? device_->ClearError(&errors, &queued) : InvalidHandleError();
  if (error != kSuccess) throw EComPort(CError_ClearComFailed, error);
  return static_cast<std::int32_t>(queued);
}

std::uint32_t TCustomComPort::LineSignals() {
  std::uint32_t status = 0;
  const SysError error = device_ ? device_->ModemStatus(&status) : InvalidHandleError();
  if (error != kSuccess) throw EComPort(CError_ModemStatFailed, error);
  std::uint32_t lines = 0;
  if (status & kMsCtsOn) lines |= kLineCts;
  if (status & kMsDsrOn) lines |= kLineDsr;
  if (status & kMsRingOn) lines |= kLineRing;
  if (status & kMsRlsdOn) lines |= kLineRlsd;
  return lines;
}

TComErrors TCustomComPort::TakeLineErrors() {
  std::uint32_t flags = 0;
  std::uint32_t queued = 0;
  const SysError error = device_ ? device_->ClearError(&flags, &queued) : InvalidHandleError();
  if (error != kSuccess) throw EComPort(CError_ClearComFailed, error);
  TComErrors errors;
  if (flags & kCeFrame) errors.Include(ceFrame);
  if ((flags & kCeRxParity) && parity_.Check()) errors.Include(ceRxParity);
  if (flags & kCeOverrun) errors.Include(ceOverrun);
  if (flags & kCeBreak) errors.Include(ceBreak);
  if (flags & kCeIoe) errors.Include(ceIO);
  if (flags & kCeMode) errors.Include(ceMode);
  if (flags & kCeRxOver) errors.Include(ceRxOver);
  if (flags & kCeTxFull) errors.Include(ceTxFull);
  return errors;
}

// ---- setters ----

void TCustomComPort::SetConnected(bool value) {
  if (loading_) {
    connected_ = value;
    return;
  }
  if (value) {
    Open();
  } else {
    Close();
  }
}

void TCustomComPort::SetBaudRate(TBaudRate value) {
  if (StoreIfChanged(baudRate_, value)) ConfigureLine();
}

void TCustomComPort::SetCustomBaudRate(std::int32_t value) {
  if (StoreIfChanged(customBaudRate_, value)) ConfigureLine();
}

void TCustomComPort::SetPort(const std::string& value) {
  if (!StoreIfChanged(port_, value)) return;
  if (connected_ && !loading_) {
    Close();
    Open();
  }
}

void TCustomComPort::SetStopBits(TStopBits value) {
  if (StoreIfChanged(stopBits_, value)) ConfigureLine();
}

void TCustomComPort::SetDataBits(TDataBits value) {
  if (StoreIfChanged(dataBits_, value)) ConfigureLine();
}

void TCustomComPort::SetDiscardNull(bool value) {
  if (StoreIfChanged(discardNull_, value)) ConfigureLine();
}

void TCustomComPort::SetEventChar(char value) {
  if (StoreIfChanged(eventChar_, value)) ConfigureLine();
}

void TCustomComPort::SetEvents(TComEvents value) { events_ = value; }

void TCustomComPort::SetSyncMethod(TSyncMethod value) {
  if (value == syncMethod_) return;
  if (connected_ && !loading_) throw EComPort(CError_ConnChangeProp);
  syncMethod_ = value;
}

void TCustomComPort::SetParity(const TComParity& value) {
  parity_.Assign(value);
  ConfigureLine();
}

void TCustomComPort::SetFlowControl(const TComFlowControl& value) {
  flowControl_.Assign(value);
  ConfigureLine();
}

void TCustomComPort::SetTimeouts(const TComTimeouts& value) {
  timeouts_.Assign(value);
  ConfigureTimeouts();
}

void TCustomComPort::SetBuffer(const TComBuffer& value) {
  buffer_.Assign(value);
  ConfigureBuffers();
}

void TCustomComPort::Loaded() {
  loading_ = false;
  if (!connected_) return;
  connected_ = false;
  try {
    Open();
  } catch (const std::exception& error) {
    ShowError(error);
  }
}

// ---- handlers ----

void TCustomComPort::DoAfterClose() {
  if (OnAfterClose) OnAfterClose(*this);
}
void TCustomComPort::DoAfterOpen() {
  if (OnAfterOpen) OnAfterOpen(*this);
}
void TCustomComPort::DoBeforeClose() {
  if (OnBeforeClose) OnBeforeClose(*this);
}
void TCustomComPort::DoBeforeOpen() {
  if (OnBeforeOpen) OnBeforeOpen(*this);
}
void TCustomComPort::DoRxChar(std::int32_t count) {
  if (OnRxChar) OnRxChar(*this, count);
}
void TCustomComPort::DoRxBuf(const void* buffer, std::int32_t count) {
  if (OnRxBuf) OnRxBuf(*this, buffer, count);
}
void TCustomComPort::DoTxEmpty() {
  if (OnTxEmpty) OnTxEmpty(*this);
}
void TCustomComPort::DoBreak() {
  if (OnBreak) OnBreak(*this);
}
void TCustomComPort::DoRing() {
  if (OnRing) OnRing(*this);
}
void TCustomComPort::DoRxFlag() {
  if (OnRxFlag) OnRxFlag(*this);
}
void TCustomComPort::DoCTSChange(bool on) {
  if (OnCTSChange) OnCTSChange(*this, on);
}
void TCustomComPort::DoDSRChange(bool on) {
  if (OnDSRChange) OnDSRChange(*this, on);
}
void TCustomComPort::DoError(TComErrors errors) {
  if (OnError) OnError(*this, errors);
}
void TCustomComPort::DoRLSDChange(bool on) {
  if (OnRLSDChange) OnRLSDChange(*this, on);
}
void TCustomComPort::DoRx80Full() {
  if (OnRx80Full) OnRx80Full(*this);
}

}  // namespace orvane::serial
