// The port's settings objects: time-outs, flow control, parity and buffer sizes. Each belongs to a
// port (set when the port creates it) and reconfigures it when a value changes. A copy is detached
// (belongs to no port) and is what the whole-object setters of the port take.
#pragma once

#include <cstdint>

#include "serial/com_types.h"

namespace orvane::serial {

class TCustomComPort;

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

// Stores a new value; true when it differs from the old one (and the owner must act on it).
template <typename T>
bool StoreIfChanged(T& field, const T& value) {
  if (field == value) return false;
  field = value;
  return true;
}

}  // namespace orvane::serial
