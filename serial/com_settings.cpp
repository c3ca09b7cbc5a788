#include "serial/com_settings.h"

#include "serial/com_port.h"

namespace orvane::serial {
namespace {

// Devices want even buffer sizes; negative sizes are passed on unchanged for the device to judge.
std::int32_t EvenBufferSize(std::int32_t value) {
  return (value > 0 && value % 2 != 0) ? value - 1 : value;
}

}  // namespace

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

}  // namespace orvane::serial
