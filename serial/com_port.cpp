#include "serial/com_port.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <utility>

#include "serial/port_list.h"
#include "serial/virtual_ports.h"

namespace orvane::serial {
namespace {

constexpr const char* kErrorTexts[] = {
    "Unable to open com port",
    "WriteFile function failed",
    "ReadFile function failed",
    "Invalid Async parameter",
    "PurgeComm function failed",
    "Unable to get async status",
    "SetCommState function failed",
    "SetCommTimeouts failed",
    "SetupComm function failed",
    "ClearCommError function failed",
    "GetCommModemStatus function failed",
    "EscapeCommFunction function failed",
    "TransmitCommChar function failed",
    "Cannot set property while connected",
    "EnumPorts function failed",
    "Failed to store settings",
    "Failed to load settings",
    "Link (un)registration failed",
    "Cannot change led state if ComPort is selected",
    "Cannot wait for event if event thread is created",
    "WaitForEvent method failed",
    "A component is linked to OnRxBuf event",
    "Registry error",
};
constexpr std::int32_t kErrorTextCount = sizeof kErrorTexts / sizeof kErrorTexts[0];

std::string MessageOf(std::int32_t errorCode, std::uint32_t systemErrorCode) {
  std::string message = ComErrorText(errorCode);
  if (systemErrorCode != EComPort::kNoSystemError) {
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, " (win error code: %d)",
                  static_cast<int>(static_cast<std::int32_t>(systemErrorCode)));
    message += suffix;
  }
  return message;
}

struct BaudRateEntry {
  const char* text;
  std::int32_t bits;
};
constexpr BaudRateEntry kBaudRates[] = {
    {"Custom", 0},      {"110", 110},       {"300", 300},       {"600", 600},
    {"1200", 1200},     {"2400", 2400},     {"4800", 4800},     {"9600", 9600},
    {"14400", 14400},   {"19200", 19200},   {"38400", 38400},   {"56000", 56000},
    {"57600", 57600},   {"115200", 115200}, {"128000", 128000}, {"256000", 256000},
};
constexpr int kBaudRateCount = sizeof kBaudRates / sizeof kBaudRates[0];

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::mutex& DisplayMutex() {
  static std::mutex mutex;
  return mutex;
}
ErrorDisplay& Display() {
  static ErrorDisplay display;
  return display;
}

template <typename T>
bool StoreIfChanged(T& field, const T& value) {
  if (field == value) return false;
  field = value;
  return true;
}

// Devices want even buffer sizes; negative sizes are passed on unchanged for the device to judge.
std::int32_t EvenBufferSize(std::int32_t value) { return (value > 0 && value % 2 != 0) ? value - 1 : value; }

}  // namespace

// ---- the error ----

const char* ComErrorText(std::int32_t errorCode) {
  if (errorCode < 1 || errorCode > kErrorTextCount) return "";
  return kErrorTexts[errorCode - 1];
}

EComPort::EComPort(std::int32_t errorCode, std::uint32_t systemErrorCode)
    : std::runtime_error(MessageOf(errorCode, systemErrorCode)),
      errorCode_(errorCode),
      systemErrorCode_(systemErrorCode) {}

EComPort::EComPort(std::int32_t errorCode) : EComPort(errorCode, kNoSystemError) {}

void SetErrorDisplay(ErrorDisplay display) {
  std::lock_guard lock(DisplayMutex());
  Display() = std::move(display);
}

void ShowError(const std::exception& error) {
  ErrorDisplay display;
  {
    std::lock_guard lock(DisplayMutex());
    display = Display();
  }
  if (display) {
    display(error);
  } else {
    std::cerr << error.what() << "\n";
  }
}

// ---- free functions ----

std::int32_t BaudRateToBits(TBaudRate rate) {
  const int index = static_cast<int>(rate);
  return (index >= 0 && index < kBaudRateCount) ? kBaudRates[index].bits : 0;
}

const char* BaudRateToText(TBaudRate rate) {
  const int index = static_cast<int>(rate);
  return (index >= 0 && index < kBaudRateCount) ? kBaudRates[index].text : "";
}

TBaudRate BaudRateFromText(const std::string& text) {
  std::string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(), UpperAscii);
  for (int index = 0; index < kBaudRateCount; ++index) {
    std::string candidate(kBaudRates[index].text);
    std::transform(candidate.begin(), candidate.end(), candidate.begin(), UpperAscii);
    if (candidate == upper) return static_cast<TBaudRate>(index);
  }
  return br9600;
}

void SortPortNames(std::vector<std::string>& names) {
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [](char x, char y) { return LowerAscii(x) < LowerAscii(y); });
  });
}

void ListPorts(std::vector<std::string>& list) {
  std::vector<std::string> names;
  ListPlatformPorts(names);
  for (std::string& name : ListedVirtualPorts()) names.push_back(std::move(name));
  SortPortNames(names);
  list.swap(names);
}

std::unique_ptr<ComDevice> OpenDefaultDevice(const std::string& port, SysError* error) {
  if (auto device = OpenVirtualPort(port)) return device;
  return OpenPlatformDevice(port, error);
}

// ---- settings objects ----

TComTimeouts::TComTimeouts(const TComTimeouts& other) { Assign(other); }

void TComTimeouts::Assign(const TComTimeouts& source) {
  readInterval_ = source.readInterval_;
  readTotalMultiplier_ = source.readTotalMultiplier_;
  readTotalConstant_ = source.readTotalConstant_;
  writeTotalMultiplier_ = source.writeTotalMultiplier_;
  writeTotalConstant_ = source.writeTotalConstant_;
}

void TComTimeouts::Changed() {
  if (port_) port_->ConfigureTimeouts();
}

void TComTimeouts::SetReadInterval(std::int32_t value) {
  if (StoreIfChanged(readInterval_, value)) Changed();
}
void TComTimeouts::SetReadTotalMultiplier(std::int32_t value) {
  if (StoreIfChanged(readTotalMultiplier_, value)) Changed();
}
void TComTimeouts::SetReadTotalConstant(std::int32_t value) {
  if (StoreIfChanged(readTotalConstant_, value)) Changed();
}
void TComTimeouts::SetWriteTotalMultiplier(std::int32_t value) {
  if (StoreIfChanged(writeTotalMultiplier_, value)) Changed();
}
void TComTimeouts::SetWriteTotalConstant(std::int32_t value) {
  if (StoreIfChanged(writeTotalConstant_, value)) Changed();
}

TComFlowControl::TComFlowControl(const TComFlowControl& other) { Assign(other); }

void TComFlowControl::Assign(const TComFlowControl& source) {
  outCTSFlow_ = source.outCTSFlow_;
  outDSRFlow_ = source.outDSRFlow_;
  controlDTR_ = source.controlDTR_;
  controlRTS_ = source.controlRTS_;
  xonXoffOut_ = source.xonXoffOut_;
  xonXoffIn_ = source.xonXoffIn_;
  dsrSensitivity_ = source.dsrSensitivity_;
  txContinueOnXoff_ = source.txContinueOnXoff_;
  xonChar_ = source.xonChar_;
  xoffChar_ = source.xoffChar_;
}

void TComFlowControl::Changed() {
  if (port_) port_->ConfigureLine();
}

TFlowControl TComFlowControl::FlowControl() const {
  if (controlRTS_ == rtsHandshake && outCTSFlow_ && !xonXoffIn_ && !xonXoffOut_) return fcHardware;
  if (controlRTS_ == rtsDisable && !outCTSFlow_ && xonXoffIn_ && xonXoffOut_) return fcSoftware;
  if (controlRTS_ == rtsDisable && !outCTSFlow_ && !xonXoffIn_ && !xonXoffOut_) return fcNone;
  return fcCustom;
}

void TComFlowControl::SetFlowControl(TFlowControl value) {
  if (value != fcCustom) {
    controlRTS_ = rtsDisable;
    outCTSFlow_ = false;
    xonXoffIn_ = false;
    xonXoffOut_ = false;
  }
  if (value == fcHardware) {
    controlRTS_ = rtsHandshake;
    outCTSFlow_ = true;
  } else if (value == fcSoftware) {
    xonXoffIn_ = true;
    xonXoffOut_ = true;
  }
  Changed();
}

void TComFlowControl::SetOutCTSFlow(bool value) {
  if (StoreIfChanged(outCTSFlow_, value)) Changed();
}
void TComFlowControl::SetOutDSRFlow(bool value) {
  if (StoreIfChanged(outDSRFlow_, value)) Changed();
}
void TComFlowControl::SetControlDTR(TDTRFlowControl value) {
  if (StoreIfChanged(controlDTR_, value)) Changed();
}
void TComFlowControl::SetControlRTS(TRTSFlowControl value) {
  if (StoreIfChanged(controlRTS_, value)) Changed();
}
void TComFlowControl::SetXonXoffOut(bool value) {
  if (StoreIfChanged(xonXoffOut_, value)) Changed();
}
void TComFlowControl::SetXonXoffIn(bool value) {
  if (StoreIfChanged(xonXoffIn_, value)) Changed();
}
void TComFlowControl::SetDSRSensitivity(bool value) {
  if (StoreIfChanged(dsrSensitivity_, value)) Changed();
}
void TComFlowControl::SetTxContinueOnXoff(bool value) {
  if (StoreIfChanged(txContinueOnXoff_, value)) Changed();
}
void TComFlowControl::SetXonChar(char value) {
  if (StoreIfChanged(xonChar_, value)) Changed();
}
void TComFlowControl::SetXoffChar(char value) {
  if (StoreIfChanged(xoffChar_, value)) Changed();
}

TComParity::TComParity(const TComParity& other) { Assign(other); }

void TComParity::Assign(const TComParity& source) {
  bits_ = source.bits_;
  check_ = source.check_;
  replace_ = source.replace_;
  replaceChar_ = source.replaceChar_;
}

void TComParity::Changed() {
  if (port_) port_->ConfigureLine();
}

void TComParity::SetBits(TParityBits value) {
  if (StoreIfChanged(bits_, value)) Changed();
}
void TComParity::SetCheck(bool value) {
  if (StoreIfChanged(check_, value)) Changed();
}
void TComParity::SetReplace(bool value) {
  if (StoreIfChanged(replace_, value)) Changed();
}
void TComParity::SetReplaceChar(char value) {
  if (StoreIfChanged(replaceChar_, value)) Changed();
}

TComBuffer::TComBuffer(const TComBuffer& other) { Assign(other); }

void TComBuffer::Assign(const TComBuffer& source) {
  inputSize_ = source.inputSize_;
  outputSize_ = source.outputSize_;
}

void TComBuffer::Changed() {
  if (port_) port_->ConfigureBuffers();
}

void TComBuffer::SetInputSize(std::int32_t value) {
  if (value == inputSize_) return;
  inputSize_ = EvenBufferSize(value);
  Changed();
}

void TComBuffer::SetOutputSize(std::int32_t value) {
  if (value == outputSize_) return;
  outputSize_ = EvenBufferSize(value);
  Changed();
}

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
    // With smWindowSync the hidden window that receives the events is made here, before the
    // thread starts.
    StartEventThread();
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

void TCustomComPort::StartEventThread() {
  // The event thread waits for line events and hands them to the handlers. It does not run yet:
  // no thread is started, so none is recorded.
  threadCreated_ = false;
}

void TCustomComPort::StopEventThread() {
  // Stops and joins the event thread started by StartEventThread (none runs yet).
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
  if (result.error != kSuccess) throw EComPort(CError_WriteFailed, result.error);
  return result.transferred;
}

std::int32_t TCustomComPort::Read(void* buffer, std::int32_t count) {
  if (!device_) throw EComPort(CError_ReadFailed, InvalidHandleError());
  if (count < 0 || (count > 0 && buffer == nullptr)) {
    throw EComPort(CError_ReadFailed, InvalidParameterError());
  }
  const IoResult result = device_->Read(static_cast<std::uint8_t*>(buffer), count);
  if (result.error != kSuccess) throw EComPort(CError_ReadFailed, result.error);
  PendingInputCount();
  return result.transferred;
}

void TCustomComPort::SetDTR(bool on) {
  const SysError error = device_ ? device_->Escape(on ? kSetDtr : kClrDtr) : InvalidHandleError();
  if (error != kSuccess) throw EComPort(CError_EscapeComFailed, error);
}

void TCustomComPort::PurgeBuffers(bool input, bool output) {
  std::uint32_t flags = 0;
  if (input) flags |= kPurgeRxClear;
  if (output) flags |= kPurgeTxClear;
  const SysError error = device_ ? device_->Purge(flags) : InvalidHandleError();
  if (error != kSuccess) throw EComPort(CError_PurgeFailed, error);
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
