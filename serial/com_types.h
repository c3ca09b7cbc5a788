// The serial port's enumerations and sets: rates, framing, flow control, events, line errors and
// the input-line bits. The order of each enumeration is part of the interface: ordinals are stored
// and compared.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace orvane::serial {

enum TBaudRate : int {
  brCustom,
  br110,
  br300,
  br600,
  br1200,
  br2400,
  br4800,
  br9600,
  br14400,
  br19200,
  br38400,
  br56000,
  br57600,
  br115200,
  br128000,
  br256000
};
enum TStopBits : int { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum TDataBits : int { dbFive, dbSix, dbSeven, dbEight };
enum TParityBits : int { prNone, prOdd, prEven, prMark, prSpace };
enum TDTRFlowControl : int { dtrDisable, dtrEnable, dtrHandshake };
enum TRTSFlowControl : int { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };
enum TFlowControl : int { fcHardware, fcSoftware, fcNone, fcCustom };
enum TSyncMethod : int { smThreadSync, smWindowSync, smNone };
enum TComEvent : int {
  evRxChar,
  evTxEmpty,
  evRxFlag,
  evRing,
  evBreak,
  evCTS,
  evDSR,
  evError,
  evRLSD,
  evRx80Full
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

}  // namespace orvane::serial
